// Finding glyphs: Unicode blocks as the repository's Blocks.txt gives them, and names.
#include "chartable/glyphfind.h"

#include <QtTest>

class TstGlyphFind : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void blockOf_data();
    void blockOf();
    void parse_data();
    void parse();
    void firstGlyphInBlock_data();
    void firstGlyphInBlock();
    void findByName_data();
    void findByName();

private:
    std::vector<TUnicodeBlock> Blocks;
};

void TstGlyphFind::initTestCase()
{
    QFile file(QStringLiteral(BITLOOM_BLOCKS_FILE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    Blocks = ParseUnicodeBlocks(std::string_view(text.constData(), size_t(text.size())));
    // Unicode 15.0 has 327 blocks.
    QCOMPARE(Blocks.size(), size_t(327));
}

void TstGlyphFind::blockOf_data()
{
    QTest::addColumn<qint64>("code");
    QTest::addColumn<QString>("block");
    QTest::newRow("code-zero") << qint64(0) << "Basic Latin";
    QTest::newRow("last-code-of-a-block") << qint64(0x7F) << "Basic Latin";
    QTest::newRow("first-code-of-the-next") << qint64(0x80) << "Latin-1 Supplement";
    QTest::newRow("last-code-point") << qint64(0x10FFFF) << "Supplementary Private Use Area-B";
    QTest::newRow("between-two-blocks") << qint64(0x2FE0) << "";
    QTest::newRow("past-unicode") << qint64(0x110000) << "";
    QTest::newRow("negative") << qint64(-1) << "";
}

void TstGlyphFind::blockOf()
{
    QFETCH(qint64, code);
    QFETCH(QString, block);
    const TUnicodeBlock *b = BlockOf(Blocks, code);
    QCOMPARE(b ? QString::fromStdString(b->Name) : QString(), block);
}

void TstGlyphFind::parse_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("blocks");
    QTest::newRow("crlf-and-comments") << QByteArray("# Blocks\r\n0000..007F; Basic Latin # ASCII\r\n\r\n")
                                       << QStringList{"0-127 Basic Latin"};
    QTest::newRow("backwards-and-past-unicode-skipped") << QByteArray("0080..007F; X\n10FFF0..110000; Y\n0100..017F; Z")
                                                        << QStringList{"256-383 Z"};
    QTest::newRow("overlap-dropped") << QByteArray("0000..00FF; A\n0080..017F; B\n") << QStringList{"0-255 A"};
}

void TstGlyphFind::parse()
{
    QFETCH(QByteArray, text);
    QFETCH(QStringList, blocks);
    QStringList got;
    for (const TUnicodeBlock &b : ParseUnicodeBlocks(std::string_view(text.constData(), size_t(text.size()))))
        got << QStringLiteral("%1-%2 %3").arg(b.First).arg(b.Last).arg(QString::fromStdString(b.Name));
    QCOMPARE(got, blocks);
}

void TstGlyphFind::firstGlyphInBlock_data()
{
    QTest::addColumn<QString>("block");
    QTest::addColumn<int>("index");
    // The font's codes, in file order: 0410, 0041, 0042, 00FF.
    QTest::newRow("first-in-file-order") << "Basic Latin" << 1;
    QTest::newRow("first-glyph-of-the-font") << "Cyrillic" << 0;
    QTest::newRow("none-in-the-block") << "Greek and Coptic" << -1;
}

void TstGlyphFind::firstGlyphInBlock()
{
    QFETCH(QString, block);
    QFETCH(int, index);
    TBDFFont font;
    for (int32_t code : {0x410, 0x41, 0x42, 0xFF}) {
        font.Chars.emplace_back();
        font.Chars.back().Encoding = code;
    }
    const auto it = std::find_if(Blocks.begin(), Blocks.end(),
                                 [&](const TUnicodeBlock &b) { return QString::fromStdString(b.Name) == block; });
    QVERIFY(it != Blocks.end());
    const std::optional<size_t> found = FirstGlyphInBlock(font, *it);
    QCOMPARE(found ? int(*found) : -1, index);
}

void TstGlyphFind::findByName_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("after");
    QTest::addColumn<int>("index");
    const QStringList names{"A", "Aacute", "a", "", "aacute"};
    QTest::newRow("exact-before-holding") << names << "a" << 0 << 2;
    QTest::newRow("holding-ignoring-case") << names << "ACUTE" << 0 << 1;
    QTest::newRow("next-after-the-current") << names << "acute" << 1 << 4;
    QTest::newRow("wraps-round") << names << "A" << 2 << 0;
    QTest::newRow("only-the-current-matches") << names << "Aacute" << 1 << 1;
    QTest::newRow("current-past-the-end") << names << "A" << 99 << 0;
    QTest::newRow("empty-query") << names << "" << 0 << -1;
    // A font that keeps no names: there is no name function at all.
    QTest::newRow("font-keeps-no-names") << QStringList() << "A" << 0 << -1;
}

void TstGlyphFind::findByName()
{
    QFETCH(QStringList, names);
    QFETCH(QString, query);
    QFETCH(int, after);
    QFETCH(int, index);
    std::vector<std::string> bytes;
    for (const QString &n : names)
        bytes.push_back(n.toStdString());
    TGlyphNames lookup;
    if (!names.isEmpty())
        lookup = [&](size_t i) { return bytes[i]; };
    const std::optional<size_t> found = FindGlyphByName(names.isEmpty() ? 3 : bytes.size(), lookup,
                                                        query.toStdString(), size_t(after));
    QCOMPARE(found ? int(*found) : -1, index);
}

QTEST_APPLESS_MAIN(TstGlyphFind)
#include "tst_glyphfind.moc"
