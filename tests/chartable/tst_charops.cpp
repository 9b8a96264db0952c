#include "chartable/charops.h"
#include "chartable/fontproperties.h"

#include <QtTest>

namespace {

// A font whose glyph i has code codes[i], one row holding i and the name prefix + i.
TBDFFont Font(const QList<int> &codes, const std::string &prefix = "g")
{
    TBDFFont font;
    font.FBBWidth = 6;
    font.FBBHeight = 3;
    for (int i = 0; i < codes.size(); ++i) {
        TBDFChar ch;
        ch.Encoding = codes[i];
        ch.BBXWidth = 8;
        ch.BBXHeight = 1;
        ch.SWidthX = 100 + i;
        ch.Bitmap = {uint64_t(i)};
        ch.Notes = font.GlyphNotes.add({prefix + std::to_string(i), {}, {}});
        font.Chars.push_back(ch);
    }
    return font;
}

QList<int> Codes(const TBDFFont &f)
{
    QList<int> out;
    for (const TBDFChar &c : f.Chars)
        out << c.Encoding;
    return out;
}

QStringList Names(const TBDFFont &f)
{
    QStringList out;
    for (const TBDFChar &c : f.Chars)
        out << QString::fromStdString(std::string(GlyphName(f, c)));
    return out;
}

QList<int> FirstRows(const TBDFFont &f)
{
    QList<int> out;
    for (const TBDFChar &c : f.Chars)
        out << (c.Bitmap.empty() ? -1 : int(c.Bitmap[0]));
    return out;
}

TCharSelection Span(int first, int last)
{
    return {first / 32, first % 32, last / 32, last % 32};
}

} // namespace

class TstCharOps : public QObject {
    Q_OBJECT
private slots:
    void propertyRules_data();
    void propertyRules();
    void addBeforeCurrent();
    void addPastEnd();
    void addToEmptyFont();
    void deleteSpan_data();
    void deleteSpan();
    void copySpan();
    void paste_data();
    void paste();
    void pastedCopiesAreIndependent();
};

void TstCharOps::addBeforeCurrent()
{
    TBDFFont font = Font({0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45});
    QCOMPARE(AddChar(font, 5), 5);
    QCOMPARE(font.Chars.size(), size_t(11));
    const TBDFChar &added = font.Chars[5];
    QCOMPARE(added.Encoding, 0x41);
    QCOMPARE(added.SWidthX, 105);
    QCOMPARE(added.BBXWidth, 6);
    QCOMPARE(added.BBXHeight, 3);
    QCOMPARE(added.Bitmap, std::vector<uint64_t>(3, 0));
    QCOMPARE(font.Chars[6].Encoding, 0x41);
    QCOMPARE(font.Chars[6].Bitmap, std::vector<uint64_t>{5});
}

void TstCharOps::addPastEnd()
{
    TBDFFont font = Font({0x41, 0x42});
    QCOMPARE(AddChar(font, 200), 2);
    QCOMPARE(Codes(font), (QList<int>{0x41, 0x42, 0x43}));
    QCOMPARE(font.Chars[2].SWidthX, 0);
}

void TstCharOps::addToEmptyFont()
{
    TBDFFont font = Font({});
    AddChar(font, 0);
    QCOMPARE(font.Chars.size(), size_t(1));
    QCOMPARE(font.Chars[0].Encoding, 0);
    QCOMPARE(font.Chars[0].Bitmap, std::vector<uint64_t>(3, 0));
    font.FBBHeight = -2;
    AddChar(font, 5);
    QVERIFY(font.Chars[1].Bitmap.empty());
}

void TstCharOps::deleteSpan_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QList<int>>("remaining");
    QTest::newRow("past-end-trimmed") << 3 << 7 << QList<int>{0, 1, 2};
    QTest::newRow("wholly-past-end") << 6 << 9 << QList<int>{0, 1, 2, 3, 4, 5};
    QTest::newRow("one") << 0 << 0 << QList<int>{1, 2, 3, 4, 5};
    QTest::newRow("middle") << 2 << 3 << QList<int>{0, 1, 4, 5};
}

void TstCharOps::deleteSpan()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QList<int>, remaining);
    TBDFFont font = Font({0, 1, 2, 3, 4, 5});
    DeleteChars(font, Span(first, last));
    QCOMPARE(FirstRows(font), remaining);
    QStringList names;
    for (int row : remaining)
        names << QString("g%1").arg(row);
    QCOMPARE(Names(font), names);
}

void TstCharOps::copySpan()
{
    TBDFFont font = Font({10, 11, 12});
    QCOMPARE(CopyChars(font, Span(1, 20)).size(), size_t(2));
    QVERIFY(CopyChars(font, Span(5, 9)).empty());
}

void TstCharOps::paste_data()
{
    QTest::addColumn<int>("copyFirst");
    QTest::addColumn<int>("copyLast");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("special");
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QList<int>>("rows");
    // Names: an ordinary paste keeps the target's name with its code, a special
    // one takes the clipboard's; "h" is the other font's.
    QTest::addColumn<bool>("otherFont");
    QTest::addColumn<QString>("names");
    // Ten glyphs, codes 0x30 + i, first row i, name g<i> (h<i> in the other font).
    QTest::newRow("three-into-one-cell") << 0 << 2 << 5 << 5 << false
                                         << QList<int>{0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39}
                                         << QList<int>{0, 1, 2, 3, 4, 0, 1, 2, 8, 9} << false
                                         << "g0 g1 g2 g3 g4 g5 g6 g7 g8 g9";
    QTest::newRow("one-special-into-eight") << 1 << 1 << 2 << 9 << true
                                            << QList<int>{0x30, 0x31, 0x31, 0x31, 0x31, 0x31, 0x31, 0x31, 0x31, 0x31}
                                            << QList<int>{0, 1, 1, 1, 1, 1, 1, 1, 1, 1} << false
                                            << "g0 g1 g1 g1 g1 g1 g1 g1 g1 g1";
    QTest::newRow("past-end-appends-code-0")
        << 0 << 0 << 8 << 12 << false << QList<int>{0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0, 0, 0}
        << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0} << false << "g0 g1 g2 g3 g4 g5 g6 g7 g8 g9   ";
    QTest::newRow("starts-too-far-pastes-nothing")
        << 0 << 0 << 12 << 13 << false << QList<int>{0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39}
        << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9} << false << "g0 g1 g2 g3 g4 g5 g6 g7 g8 g9";
    QTest::newRow("special-into-another-font") << 2 << 3 << 0 << 1 << true
                                               << QList<int>{0x32, 0x33, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39}
                                               << QList<int>{2, 3, 2, 3, 4, 5, 6, 7, 8, 9} << true
                                               << "g2 g3 h2 h3 h4 h5 h6 h7 h8 h9";
    QTest::newRow("ordinary-into-another-font") << 2 << 3 << 0 << 1 << false
                                                << QList<int>{0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39}
                                                << QList<int>{2, 3, 2, 3, 4, 5, 6, 7, 8, 9} << true
                                                << "h0 h1 h2 h3 h4 h5 h6 h7 h8 h9";
}

void TstCharOps::paste()
{
    QFETCH(int, copyFirst);
    QFETCH(int, copyLast);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(bool, special);
    QFETCH(QList<int>, codes);
    QFETCH(QList<int>, rows);
    QFETCH(bool, otherFont);
    QFETCH(QString, names);
    const QList<int> ten = {0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39};
    TBDFFont font = Font(ten);
    const TCharClipboard clip = CopyChars(font, Span(copyFirst, copyLast));
    // The other font numbers its own notes: a number taken over as it is names another glyph there.
    if (otherFont)
        font = Font(ten, "h");
    PasteChars(font, Span(first, last), clip, special);
    QCOMPARE(Codes(font), codes);
    QCOMPARE(FirstRows(font), rows);
    QCOMPARE(Names(font).join(' '), names);
}

void TstCharOps::pastedCopiesAreIndependent()
{
    TBDFFont font = Font({1, 2, 3, 4});
    TCharClipboard clip = CopyChars(font, Span(0, 0));
    // 18 cells from row 0, column 20 to row 1, column 5: exactly 18 glyphs written.
    TBDFFont big = Font(QList<int>(40, 7));
    PasteChars(big, {0, 20, 1, 5}, clip, false);
    int copies = 0;
    for (const TBDFChar &c : big.Chars)
        copies += c.SWidthX == 100;
    QCOMPARE(copies, 18 + 1);
    PasteChars(font, Span(1, 2), clip, false);
    font.Chars[1].Bitmap[0] = 99;
    QCOMPARE(font.Chars[2].Bitmap[0], uint64_t(0));
    QCOMPARE(clip.Chars[0].Bitmap[0], uint64_t(0));
    QVERIFY(!PasteChars(font, Span(0, 0), {}, false));
}

QTEST_APPLESS_MAIN(TstCharOps)
#include "tst_charops.moc"

void TstCharOps::propertyRules_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("quoted");
    QTest::addColumn<bool>("writable");
    QTest::newRow("integer") << QByteArray("PIXEL_SIZE") << QByteArray("-13") << false << true;
    QTest::newRow("string-with-quotes") << QByteArray("COPYRIGHT") << QByteArray("a \"b\"") << true << true;
    QTest::newRow("no-name") << QByteArray() << QByteArray("1") << false << false;
    QTest::newRow("two-words") << QByteArray("FONT ASCENT") << QByteArray("1") << false << false;
    QTest::newRow("keyword-start") << QByteArray("STARTCHAR_X") << QByteArray("1") << false << false;
    QTest::newRow("quote-in-name") << QByteArray("A\"B") << QByteArray("1") << false << false;
    QTest::newRow("letters-unquoted") << QByteArray("SPACING") << QByteArray("C") << false << false;
    QTest::newRow("blank-after-digits") << QByteArray("WEIGHT") << QByteArray("10 ") << false << false;
    QTest::newRow("minus-alone") << QByteArray("WEIGHT") << QByteArray("-") << false << false;
    QTest::newRow("past-32-bits") << QByteArray("WEIGHT") << QByteArray("2147483648") << false << false;
    QTest::newRow("uid-tick-count") << QByteArray("Uid") << QByteArray("4294967295") << false << true;
    QTest::newRow("uid-past-unsigned") << QByteArray("Uid") << QByteArray("4294967296") << false << false;
    QTest::newRow("string-two-lines") << QByteArray("NOTICE") << QByteArray("a\nb") << true << false;
}

void TstCharOps::propertyRules()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, value);
    QFETCH(bool, quoted);
    QFETCH(bool, writable);
    const TBDFProperty row{name.toStdString(), value.toStdString(), quoted};
    QCOMPARE(PropertyProblem(row).empty(), writable);
    // The list names the row at fault.
    const std::string listed = PropertiesProblem({{"A", "1", false}, row});
    QCOMPARE(listed.empty(), writable);
    if (!writable)
        QVERIFY(listed.rfind("Row 2: ", 0) == 0);
}
