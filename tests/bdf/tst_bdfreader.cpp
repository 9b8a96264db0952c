#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"
#include "bdf/fileio.h"
#include "bdftestutil.h"
#include "common/hostilefiles.h"
#include "model/fileerror.h"
#include "model/textfuncs.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string_view View(const QByteArray &b)
{
    return std::string_view(b.constData(), static_cast<size_t>(b.size()));
}

// One glyph of the given width with the given row lines.
QByteArray Glyph(const QByteArray &name, const QByteArray &bbx, const QByteArray &rows)
{
    return "STARTCHAR " + name + "\nBBX " + bbx + "\nBITMAP\n" + rows + "ENDCHAR\n";
}

} // namespace

class TstBDFReader : public QObject {
    Q_OBJECT
private slots:
    void glyphs_data();
    void glyphs();
    void codes_data();
    void codes();
    void kept_data();
    void kept();
    void rowsAndNumbersAsTheTextFunctionsRead_data();
    void rowsAndNumbersAsTheTextFunctionsRead();
    void convertOfConvertIsStable_data();
    void convertOfConvertIsStable();
    void threadsDoNotChangeTheResult_data();
    void threadsDoNotChangeTheResult();
    void bigFileReadInPiecesGivesTheSameFont_data();
    void bigFileReadInPiecesGivesTheSameFont();
    void notAFontIsRefused_data();
    void notAFontIsRefused();
    void onlyRegularFilesAreRead_data();
    void onlyRegularFilesAreRead();
    void truncatedFontOpensWithWarning();
    void header_data();
    void header();
    void lineEnds_data();
    void lineEnds();
    void wideGlyphsAreCutAndReported();
    void hugeInputsStayBounded();
    void headerFieldsMissingKeepCallersValues();
    void unreadableFileLeavesFontAlone();
    void fileChangedWhileReadIsRefused_data();
    void fileChangedWhileReadIsRefused();
};

void TstBDFReader::glyphs_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("debug");
    QTest::addColumn<QString>("expected");

    QTest::newRow("hex-name-0041") << Glyph("0041", "8 1 0 0", "f8\n") << 0 << "41/8/1/0/0:F8";
    QTest::newRow("name-A-is-10") << Glyph("A", "8 0 0 0", "") << 0 << "A/8/0/0/0:";
    QTest::newRow("name-space-is-0") << Glyph("space", "0 0 0 0", "") << 0 << "0/0/0/0/0:";
    QTest::newRow("name-uni0041-is-0") << Glyph("uni0041", "0 0 0 0", "") << 0 << "0/0/0/0/0:";
    QTest::newRow("name-FFFFFFFF-is-minus-1") << Glyph("FFFFFFFF", "0 0 0 0", "") << 0 << "FFFFFFFF/0/0/0/0:";
    QTest::newRow("empty-name-is-0") << QByteArray("STARTCHAR\nBBX 1 0 0 0\nENDCHAR\n") << 0 << "0/1/0/0/0:";
    QTest::newRow("row-trailing-blank-is-0") << Glyph("0041", "8 2 0 0", "f8 \nf8\n") << 0 << "41/8/2/0/0:0,F8";
    QTest::newRow("row-ten-digits") << Glyph("0041", "32 1 0 0", "00FFFFFFFF\n") << 0 << "41/32/1/0/0:FFFFFFFF";
    QTest::newRow("row-nine-significant-is-0") << Glyph("0041", "32 1 0 0", "123456789\n") << 0 << "41/32/1/0/0:0";
    QTest::newRow("row-blank-line-is-0") << Glyph("0041", "8 3 0 0", "80\n\n01\n") << 0 << "41/8/3/0/0:80,0,1";
    QTest::newRow("metrics-lines-without-values")
        << QByteArray("STARTCHAR 0041\nSWIDTH\nDWIDTH\nBBX\nBITMAP\nENDCHAR\nSTARTCHAR 0042\nBBX\nENDCHAR\n") << 0
        << "41/0/0/0/0: 42/0/0/0/0:";
    QTest::newRow("bbx-many-blanks") << Glyph("0041", "  5   3  -1  -2 ", "") << 0 << "41/5/3/-1/-2:";
    QTest::newRow("bbx-tab-joins-words") << Glyph("0041", "5\t3 -1 -2", "") << 0 << "41/0/-1/-2/0:";
    QTest::newRow("debug-0-keeps-stray-bits") << Glyph("0041", "5 1 0 0", "1F8\n") << 0 << "41/5/1/0/0:1F8";
    QTest::newRow("debug-1-masks-to-width") << Glyph("0041", "5 1 0 0", "1F8\n") << 1 << "41/5/1/0/0:F8";
    QTest::newRow("debug-1-width-32-whole") << Glyph("0041", "32 1 0 0", "80000001\n") << 1 << "41/32/1/0/0:80000001";
    QTest::newRow("debug-1-width-12-two-bytes") << Glyph("0041", "12 1 0 0", "1FFF0\n") << 1 << "41/12/1/0/0:FFF0";
    // Rows are read by the rule of the glyph's final width, wherever its BBX line stands.
    QTest::newRow("debug-1-rows-before-bbx-use-final-width")
        << QByteArray("STARTCHAR 0041\nBITMAP\n1F8\nBBX 12 1 0 0\nENDCHAR\n") << 1 << "41/12/1/0/0:1F8";
    QTest::newRow("bbx-after-rows-narrows-them")
        << QByteArray("STARTCHAR 0041\nBBX 40 2 0 0\nBITMAP\nFFFFFFFFFF\n80\nBBX 8 2 0 0\nENDCHAR\n") << 0
        << "41/8/2/0/0:0,80";
    QTest::newRow("bbx-after-rows-widens-them")
        << QByteArray("STARTCHAR 0041\nBITMAP\nFFFFFFFFFF\nBBX 40 1 0 0\nENDCHAR\n") << 0 << "41/40/1/0/0:FFFFFFFFFF";
    QTest::newRow("bbx-72-then-8-is-not-cut")
        << QByteArray("STARTCHAR 0041\nBBX 72 1 0 0\nBITMAP\nF0\nBBX 8 1 0 0\nENDCHAR\n") << 0 << "41/8/1/0/0:F0";
    QTest::newRow("fewer-rows-than-height") << Glyph("0041", "8 4 0 0", "80\n40\n") << 0 << "41/8/4/0/0:80,40";
    QTest::newRow("more-rows-than-height") << Glyph("0041", "8 1 0 0", "80\n40\n20\n") << 0 << "41/8/1/0/0:80,40,20";
    QTest::newRow("duplicate-codes-kept")
        << Glyph("0041", "8 1 0 0", "80\n") + Glyph("0041", "8 1 0 0", "01\n") << 0 << "41/8/1/0/0:80 41/8/1/0/0:1";
    QTest::newRow("missing-endchar-then-startchar")
        << QByteArray("STARTCHAR 0041\nBBX 8 1 0 0\nBITMAP\n80\nSTARTCHAR 0042\nENCODING 66\nBBX 8 1 0 0\nBITMAP\n40\n"
                      "ENDCHAR\n")
        << 0 << "41/8/1/0/0:80 42/8/1/0/0:0,40";
    QTest::newRow("missing-endchar-then-endfont")
        << QByteArray("STARTCHAR 0041\nBBX 8 1 0 0\nBITMAP\n80\nENDFONT\n") << 0 << "41/8/1/0/0:80,0";
    QTest::newRow("rows-before-any-startchar-ignored")
        << QByteArray("BITMAP\nFF\nBBX 3 3 3 3\nSWIDTH 1 1\n") + Glyph("0041", "8 1 0 0", "80\n") << 0
        << "41/8/1/0/0:80";
    QTest::newRow("bitmap-before-bbx") << QByteArray("STARTCHAR 0041\nBITMAP\nF8\nBBX 5 1 0 0\nENDCHAR\n") << 0
                                       << "41/5/1/0/0:F8";
    QTest::newRow("second-startfont-appends")
        << "STARTFONT 2.1\n" + Glyph("0041", "8 1 0 0", "80\n") + "ENDFONT\nSTARTFONT 2.1\n" +
               Glyph("0042", "8 1 0 0", "40\n") + "ENDFONT\n"
        << 0 << "41/8/1/0/0:80 42/8/1/0/0:40";
    QTest::newRow("lines-after-endfont-read")
        << "ENDFONT\n" + Glyph("0041", "8 1 0 0", "80\n") << 0 << "41/8/1/0/0:80";

    QTest::newRow("wide-40-keeps-every-pixel")
        << Glyph("0041", "40 2 0 0", "FFFFFFFFFF\n8000000001\n") << 0 << "41/40/2/0/0:FFFFFFFFFF,8000000001";
    QTest::newRow("wide-64") << Glyph("0041", "64 1 0 0", "8000000000000001\n") << 0 << "41/64/1/0/0:8000000000000001";
    QTest::newRow("wide-40-seventeen-significant-is-0") << Glyph("0041", "40 1 0 0", "1FFFFFFFFFFFFFFFF\n") << 0
                                                         << "41/40/1/0/0:0";
    QTest::newRow("wide-72-keeps-leftmost-64")
        << Glyph("0041", "72 2 0 0", "123456789ABCDEF0FF\nFF\n") << 0 << "41/64/2/0/0:123456789ABCDEF0,FF00000000000000";
    QTest::newRow("bbx-65535-cut") << Glyph("0041", "65535 65535 0 0", "") << 0 << "41/64/65535/0/0:";
    QTest::newRow("bbx-overflow-is-0") << Glyph("0041", "99999999999999999999 2 0 0", "") << 0 << "41/0/2/0/0:";

    QTest::newRow("nul-ends-text") << Glyph("0041", "8 1 0 0", "80\n") + QByteArray("\0", 1) + Glyph("0042", "8 1 0 0", "")
                                   << 0 << "41/8/1/0/0:80";
    QTest::newRow("ten-kb-name") << Glyph(QByteArray(10240, 'Z'), "8 1 0 0", "80\n") << 0 << "0/8/1/0/0:80";
    QTest::newRow("one-mib-row-line-is-blank") << Glyph("0041", "8 2 0 0", QByteArray(1 << 20, 'F') + "\n01\n") << 0
                                               << "41/8/2/0/0:0,1";
    // Lines longer than a read window: read with small windows they pass by in
    // pieces, and must read as they do whole.
    const QByteArray zeros(300, '0'), blanks(300, ' ');
    QTest::newRow("long-row-leading-zeros") << Glyph("0041", "8 1 0 0", zeros + "A5\n") << 0 << "41/8/1/0/0:A5";
    QTest::newRow("long-row-wide") << Glyph("0041", "40 1 0 0", zeros + "FFFFFFFFFF\n") << 0 << "41/40/1/0/0:FFFFFFFFFF";
    QTest::newRow("long-row-cut-not-hex-at-its-end") << Glyph("0041", "72 1 0 0", "F" + zeros + "X\n") << 0
                                                     << "41/64/1/0/0:0";
    QTest::newRow("long-row-dollar-value") << Glyph("0041", "8 1 0 0", blanks + "-$" + zeros + "2\n") << 0
                                           << "41/8/1/0/0:FFFFFFFE";
    QTest::newRow("long-row-dollar-not-a-value") << Glyph("0041", "40 1 0 0", zeros + "1$\n") << 0 << "41/40/1/0/0:0";
    QTest::newRow("long-rows-read-again-for-a-later-bbx")
        << QByteArray("STARTCHAR 0041\nBITMAP\n" + zeros + "FFFFFFFFFF\n" + blanks + "$" + zeros +
                      "F\nBBX 40 2 0 0\nENDCHAR\n")
        << 0 << "41/40/2/0/0:FFFFFFFFFF,F";
    QTest::newRow("truncated-mid-row") << QByteArray("STARTFONT 2.1\nFONT t\nSTARTCHAR 0041\nBBX 8 2 0 0\nBITMAP\n8")
                                       << 0 << "41/8/2/0/0:8";
    QTest::newRow("truncated-mid-keyword") << QByteArray("STARTCHAR 0041\nBBX 8 2 0 0\nBITMAP\n80\nENDCH") << 0
                                           << "41/8/2/0/0:80,0";
}

void TstBDFReader::glyphs()
{
    QFETCH(QByteArray, text);
    QFETCH(int, debug);
    QFETCH(QString, expected);
    TBDFFont font;
    ParseBDF(View(text), font, {debug});
    QCOMPARE(DumpChars(font), expected);
}

void TstBDFReader::codes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("names");
    QTest::addColumn<QString>("expected");
    // Standard fonts name glyphs freely and give the code in ENCODING.
    QTest::newRow("x11-names-use-encoding")
        << QByteArray("STARTCHAR space\nENCODING 32\nBBX 0 0 0 0\nBITMAP\nENDCHAR\n"
                      "STARTCHAR A\nENCODING 65\nBBX 8 1 0 0\nBITMAP\n80\nENDCHAR\n"
                      "STARTCHAR C000\nENCODING 49152\nBBX 8 1 0 0\nBITMAP\n01\nENDCHAR\n")
        << false << "20/0/0/0/0: 41/8/1/0/0:80 C000/8/1/0/0:1";
    // CJK fonts whose every name happens to be hexadecimal still take ENCODING.
    QTest::newRow("cjk-hex-looking-names-use-encoding")
        << QByteArray("STARTCHAR C2121\nENCODING 8481\nENDCHAR\nSTARTCHAR Ca1a1\nENCODING 8482\nENDCHAR\n"
                      "STARTCHAR c2123\nENCODING 8483\nENDCHAR\n")
        << false << "2121/0/0/0/0: 2122/0/0/0/0: 2123/0/0/0/0:";
    QTest::newRow("no-encoding-lines-use-names")
        << QByteArray("STARTCHAR C2121\nENDCHAR\nSTARTCHAR 0041\nENDCHAR\n") << false << "C2121/0/0/0/0: 41/0/0/0/0:";
    QTest::newRow("encoding-minus-1")
        << QByteArray("STARTCHAR foo\nENCODING -1\nBBX 0 0 0 0\nENDCHAR\n") << false << "FFFFFFFF/0/0/0/0:";
    QTest::newRow("encoding-first-number")
        << QByteArray("STARTCHAR foo\nENCODING -1 200\nBBX 0 0 0 0\nENDCHAR\n") << false << "FFFFFFFF/0/0/0/0:";
    QTest::newRow("mixed-file-char-without-encoding-uses-name")
        << QByteArray("STARTCHAR space\nENCODING 32\nENDCHAR\nSTARTCHAR 0041\nENDCHAR\n") << false
        << "20/0/0/0/0: 41/0/0/0/0:";
    QTest::newRow("encoding-in-bitmap-mode-is-row")
        << QByteArray("STARTCHAR space\nBBX 8 2 0 0\nBITMAP\n80\nENCODING 32\nENDCHAR\n") << false << "0/8/2/0/0:80,0";
    // The TrueType converter writes the original code as the name and a remapped one in ENCODING.
    const QByteArray converter("STARTCHAR 0410\nENCODING 192\nENDCHAR\nSTARTCHAR 00C0\nENCODING 5\nENDCHAR\n");
    QTest::newRow("converter-output-by-encoding") << converter << false << "C0/0/0/0/0: 5/0/0/0/0:";
    QTest::newRow("converter-output-by-names") << converter << true << "410/0/0/0/0: C0/0/0/0/0:";
}

void TstBDFReader::codes()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, names);
    QFETCH(QString, expected);
    TBDFFont font;
    ParseBDF(View(text), font, {0, names ? TCodeSource::Names : TCodeSource::Encoding});
    QCOMPARE(DumpChars(font), expected);
    // A name that gives the code is no name of the glyph's own.
    if (names)
        QVERIFY(font.GlyphNotes.empty());
}

// What a save needs to write a font back whole: every line the reader does not
// take into a field, where it stood, and every property.
void TstBDFReader::kept_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("comments-and-lines-keep-their-places")
        << QByteArray("COMMENT top\nSTARTFONT 2.1\nCOMMENT a\nFONT f\nSIZE 1 2 3\n\nFONTBOUNDINGBOX 1 1 0 0\n"
                      "STARTPROPERTIES 3\nCOMMENT c\nCHARSET_REGISTRY \"ISO10646\"\nCOMMENT d\nPIXEL_SIZE 8\n"
                      "CHARS 1\nENDPROPERTIES\nEXTRA line\nCHARS 0\nCOMMENT f\nENDFONT\n")
        << "CHARSET_REGISTRY=\"ISO10646\",PIXEL_SIZE=8,CHARS=1 | start:COMMENT top,startfont:COMMENT a,size:,"
           "props0:COMMENT c,props1:COMMENT d,endprops:EXTRA line,chars:COMMENT f | ";
    QTest::newRow("property-values")
        << QByteArray("STARTPROPERTIES 6\nCOPYRIGHT \"say \"\"hi\"\" now\" after\nNOTICE  plain words  \nEMPTY\n"
                      "QUOTED \"\"\n\tINDENTED 5\nLONG \"" + QByteArray(300, 'x') + "\"\nENDPROPERTIES\n")
        << "COPYRIGHT=\"say \"hi\" now\",NOTICE=plain words,EMPTY=,QUOTED=\"\",INDENTED=5,LONG=\"" + QString(300, 'x') +
               "\" |  | ";
    QTest::newRow("uid-inside-keeps-its-place")
        << QByteArray("STARTPROPERTIES 3\nA 1\nUid 5\nB 2\nENDPROPERTIES\n") << "A=1,Uid=,B=2 |  | ";
    QTest::newRow("uid-last-is-where-a-save-puts-it")
        << QByteArray("STARTPROPERTIES 2\nA 1\nUid 5\nENDPROPERTIES\nUid 6\n") << "A=1 |  | ";
    QTest::newRow("glyph-names")
        << QByteArray("STARTCHAR A\nENCODING 65\nENDCHAR\nSTARTCHAR 0042\nENCODING 66\nENDCHAR\n"
                      "STARTCHAR 004a\nENCODING 74\nENDCHAR\nSTARTCHAR 0041\nENCODING 75\nENDCHAR\n")
        << " |  | 0:A// 2:004a// 3:0041//";
    QTest::newRow("second-encoding-number")
        << QByteArray("STARTCHAR x\nENCODING -1 123\nENDCHAR\nSTARTCHAR y\nENCODING -1 junk\nENDCHAR\n")
        << " |  | 0:x/123/ 1:y//";
    QTest::newRow("glyph-lines-keep-their-places")
        << QByteArray("CHARS 2\nSTARTCHAR g\nCOMMENT s\nENCODING 1\nCOMMENT e\nSWIDTH 1 0\nVVECTOR 1 2\n"
                      "DWIDTH 1 0\nCOMMENT d\nBBX 1 1 0 0\nATTRIBUTES 0000\nBITMAP\n80\nENDCHAR\nCOMMENT between\n\n"
                      "STARTCHAR 0002\nENCODING 2\nENDCHAR\n")
        << " |  | 0:g//startchar:COMMENT s,encoding:COMMENT e,swidth:VVECTOR 1 2,dwidth:COMMENT d,bbx:ATTRIBUTES 0000,"
           "endchar:COMMENT between,endchar:";
    QTest::newRow("nothing-after-endfont")
        << QByteArray("STARTCHAR g\nENDCHAR\nENDFONT\ntrailing text\nCOMMENT too\n") << " |  | 0:g//";
    QTest::newRow("a-long-line-keeps-64-kib")
        << QByteArray("COMMENT " + QByteArray(70000, 'c') + "\n") << " | start:COMMENT " + QString(65536 - 8, 'c') + " | ";
}

void TstBDFReader::kept()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    TBDFFont font;
    ParseBDF(View(text), font);
    QCOMPARE(DumpKept(font), expected);
}

// The scanner reads rows and numbers on quick paths; whatever the line, they
// must give what the text functions give, for a line deep inside the text, at
// its very end, and on a metrics line that repeats the one before or not.
void TstBDFReader::rowsAndNumbersAsTheTextFunctionsRead_data()
{
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QByteArray>("word");
    const QByteArray rows[] = {"F8",       "f8",       "0",        "12345678", "123456789", "000000000FF",
                               "FFFFFFFF", "F8 ",      " F8",      "$F8",      "F8G",       "-1",
                               "",         "ABCDEFAB", "00000000000000000001", "1234567", "F\tF"};
    const QByteArray words[] = {"0",   "5",          "-5",         "1000",        "+5",        "007",
                                "-0",  "999999999",  "1234567890", "-2147483648", "2147483648", "99999999999",
                                "5x",  "-",          "$10",        "0x10",        "--5",       "12-3"};
    for (size_t i = 0; i < std::size(rows) || i < std::size(words); ++i) {
        const QByteArray &row = rows[i % std::size(rows)];
        const QByteArray &word = words[i % std::size(words)];
        QTest::addRow("row \"%s\" word \"%s\"", row.constData(), word.constData()) << row << word;
    }
}

void TstBDFReader::rowsAndNumbersAsTheTextFunctionsRead()
{
    QFETCH(QByteArray, row);
    QFETCH(QByteArray, word);
    const std::string_view w = View(word);
    const int32_t number = ParseIntDef(w, 0);
    const uint64_t value = static_cast<uint32_t>(HexToInt(View(row)));
    auto glyph = [&](const QByteArray &swidth, const char *end) {
        return "STARTCHAR 0041\nSWIDTH " + swidth + "\nDWIDTH " + word + " " + word + "\nBBX 16 1 0 0\nBITMAP\n" + row +
               end + "ENDCHAR\n";
    };
    // The same glyph twice, then one whose first SWIDTH word differs, then a
    // last one that ends the text inside its row, for each line ending.
    for (const char *end : {"\n", "\r\n", "\r"}) {
        const QByteArray text = glyph(word + " 0", end) + glyph(word + " 0", end) + glyph("1 0", end) +
                                glyph(word + " " + word, end) + "STARTCHAR 0042\nBBX 16 1 0 0\nBITMAP\n" + row;
        TBDFFont font;
        ParseBDF(View(text), font, {0, TCodeSource::Encoding, 1});
        QCOMPARE(font.Chars.size(), size_t(5));
        for (size_t i = 0; i < 5; ++i) {
            const TBDFChar &ch = font.Chars[i];
            // An empty last line of the text is no line at all.
            if (i == 4 && row.isEmpty()) {
                QVERIFY(ch.Bitmap.empty());
                continue;
            }
            QCOMPARE(ch.Bitmap.size(), size_t(1));
            QCOMPARE(ch.Bitmap[0], value);
            if (i == 4)
                continue;
            QCOMPARE(ch.SWidthX, i == 2 ? 1 : number);
            QCOMPARE(ch.SWidthY, i == 3 ? number : 0);
            QCOMPARE(ch.DWidthX, number);
            QCOMPARE(ch.DWidthY, number);
        }
    }
}

void TstBDFReader::convertOfConvertIsStable_data()
{
    // Every input of the glyph table (its expected column is not used here), and a few more.
    glyphs_data();
    QTest::newRow("box-two-billion-wide")
        << QByteArray("FONTBOUNDINGBOX 2000000000 2000000000 0 0\nSTARTCHAR 0041\nBBX 2000000000 3 0 0\nBITMAP\n"
                      "FFFFFFFFFFFFFFFFFFFFFF\n80\n$FF\nENDCHAR\n")
        << 0 << QString();
    QTest::newRow("uid-minus-0") << QByteArray("Uid -0\n") << 0 << QString();
    QTest::newRow("negative-width") << QByteArray("STARTCHAR 0041\nBBX -5 2 0 0\nBITMAP\nFFFFFFFF\n1\nENDCHAR\n") << 1
                                    << QString();
}

void TstBDFReader::convertOfConvertIsStable()
{
    QFETCH(QByteArray, text);
    QFETCH(int, debug);
    TBDFFont first;
    ParseBDF(View(text), first, {debug});
    const TByteBuffer once = FormatBDF(first);
    TBDFFont second;
    ParseBDF(once.view(), second);
    const TByteBuffer twice = FormatBDF(second);
    QCOMPARE(QByteArray(twice.data(), qsizetype(twice.size())), QByteArray(once.data(), qsizetype(once.size())));
}

void TstBDFReader::threadsDoNotChangeTheResult_data()
{
    convertOfConvertIsStable_data();
    // What crosses a cut between parts: a glyph without ENDCHAR (the next glyph's
    // ENCODING becomes a row), header lines after glyphs, a second STARTFONT.
    QByteArray crossing = "STARTFONT 2.1\nFONT first\n";
    for (int i = 0; i < 12; ++i) {
        crossing += "STARTCHAR " + QByteArray::number(0x41 + i, 16) + "\nENCODING " + QByteArray::number(0x41 + i) +
                    "\nBBX 8 2 0 0\nBITMAP\n" + QByteArray::number(i, 16).rightJustified(2, '0') + "\n";
        if (i % 3 != 1)
            crossing += "ENDCHAR\n";
        if (i == 7)
            crossing += "FONT later\nFONTBOUNDINGBOX 9 9 9 9\nSTARTFONT 2.2\nUid 5\nSIZE 3\n";
    }
    QTest::newRow("state-across-cuts") << crossing << 0 << QString();
    QTest::newRow("state-across-cuts-crlf") << QByteArray(crossing).replace("\n", "\r\n") << 0 << QString();
    QTest::newRow("state-across-cuts-cr") << QByteArray(crossing).replace("\n", "\r") << 0 << QString();
    // One BITMAP and no ENDCHAR: every later line is a row, whichever part it is in.
    QByteArray neverClosed = "STARTFONT 2.1\nSTARTCHAR 41\nBBX 8 1 0 0\nBITMAP\n";
    for (int i = 0; i < 9; ++i)
        neverClosed += "STARTCHAR " + QByteArray::number(i) + "\nENCODING 7\nBITMAPS\n0" + QByteArray::number(i) + "\n";
    QTest::newRow("bitmap-never-closed") << neverClosed << 0 << QString();
    QByteArray bitmapFirst = "BITMAP\n";
    for (int i = 0; i < 9; ++i)
        bitmapFirst += "STARTCHAR " + QByteArray::number(i) + "\nENCODING 5\n0" + QByteArray::number(i) + "\n";
    QTest::newRow("bitmap-is-the-first-line") << bitmapFirst << 0 << QString();
    QTest::newRow("endchar-prefix-closes") << QByteArray(neverClosed).replace("BITMAPS", "ENDCHARS") << 0 << QString();
    // Every part numbers its glyphs' notes from its own start; joined, each
    // glyph must still find its own. Lines longer than any window are cut alike.
    QByteArray noted = "STARTFONT 2.1\nCOMMENT " + QByteArray(70000, 'c') + "\nSTARTPROPERTIES 1\nCOPYRIGHT \"" +
                       QByteArray(300, 'r') + "\"\nENDPROPERTIES\n";
    for (int i = 0; i < 12; ++i)
        noted += "STARTCHAR name" + QByteArray::number(i) + "\nENCODING -1 " + QByteArray::number(i) +
                 "\nCOMMENT in " + QByteArray::number(i) + "\nBBX 8 1 0 0\nBITMAP\n80\nENDCHAR\n";
    QTest::newRow("notes-across-cuts") << noted << 0 << QString();
    QTest::newRow("cut-wide-glyphs-in-every-part")
        << QByteArray("STARTCHAR 1\nBBX 70 1 0 0\nBITMAP\nFF\nENDCHAR\nSTARTCHAR 2\nBBX 70 1 0 0\nBITMAP\nFF\nENDCHAR\n"
                      "STARTCHAR 3\nBBX 70 1 0 0\nBITMAP\nFF\nENDCHAR\nENDFONT\n")
        << 1 << QString();
}

void TstBDFReader::threadsDoNotChangeTheResult()
{
    QFETCH(QByteArray, text);
    QFETCH(int, debug);
    TBDFFont one;
    const TBDFReadReport single = ParseBDF(View(text), one, {debug, TCodeSource::Encoding, 1});
    // Windows of a byte or a few cut the text into pieces of a line or less, so
    // glyphs go on across pieces and most lines are longer than the window;
    // with several threads, parts begin mid-text.
    for (int threads : {1, 2, 3, 5, 16}) {
        for (size_t window : {size_t{1}, size_t{7}, size_t{64}, size_t{0}}) {
            TBDFFont many;
            const TBDFReadReport parallel = ParseBDF(View(text), many, {debug, TCodeSource::Encoding, threads, window});
            const QString what = QString("%1 threads, window %2").arg(threads).arg(window);
            QVERIFY2(many == one, qPrintable(what));
            QVERIFY2(parallel.CutGlyphs == single.CutGlyphs && parallel.SawStartFont == single.SawStartFont &&
                         parallel.SawStartChar == single.SawStartChar && parallel.SawEndFont == single.SawEndFont,
                     qPrintable(what));
        }
    }
}

// A big file is read by each thread in pieces through its own window, never
// whole: the font is the one a single scan of the text gives, whatever the
// threads and windows, with a byte-order mark, and with a NUL byte (where the
// text ends) far into the file.
namespace {

// Thread starts in this read so far, and from which one on they fail (0: none fails).
std::atomic<int> ThreadStarts{0};
int FirstFailingStart = 0;
bool FailThreadStart()
{
    return FirstFailingStart > 0 && ++ThreadStarts >= FirstFailingStart;
}

} // namespace

void TstBDFReader::bigFileReadInPiecesGivesTheSameFont_data()
{
    QTest::addColumn<QByteArray>("prefix");
    QTest::addColumn<int>("nulAt");
    QTest::addColumn<int>("failingStart");
    QTest::newRow("plain") << QByteArray() << -1 << 0;
    QTest::newRow("byte-order-mark") << QByteArray("\xEF\xBB\xBF") << -1 << 0;
    QTest::newRow("nul-late") << QByteArray() << (7 << 20) << 0;
    // The system stops giving threads from the n-th start of a read on: the
    // threads already started end and the read goes on without the others.
    QTest::newRow("no-thread-starts") << QByteArray() << -1 << 1;
    QTest::newRow("threads-run-out-in-the-survey") << QByteArray() << -1 << 2;
    QTest::newRow("threads-run-out-in-the-scan") << QByteArray() << -1 << 9;
}

void TstBDFReader::bigFileReadInPiecesGivesTheSameFont()
{
    QFETCH(QByteArray, prefix);
    QFETCH(int, nulAt);
    QFETCH(int, failingStart);
    QByteArray text = prefix + "STARTFONT 2.1\nFONT big\nCHARS 1\n";
    text.reserve(9 << 20);
    for (int i = 0; text.size() < (8 << 20); ++i) {
        QByteArray rows;
        for (int r = 0; r < 1 + i % 40; ++r)
            rows += QByteArray::number((i * 31 + r) & 0xFFFF, 16).rightJustified(4, '0') + "\n";
        text += "STARTCHAR " + QByteArray::number(i, 16) + "\nENCODING " + QByteArray::number(i) + "\nBBX 16 " +
                QByteArray::number(1 + i % 40) + " 0 -2\nBITMAP\n" + rows;
        // Now and then a glyph without ENDCHAR, whose successor's first lines are rows.
        if (i % 997 != 5)
            text += "ENDCHAR\n";
        if (i == 30000)
            text += "FONT renamed\nSIZE 9 75 75\n";
    }
    text += "ENDFONT\n";
    if (nulAt >= 0)
        text[nulAt] = '\0';
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/big.bdf").toStdString();
    QFile file(QString::fromStdString(path));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(text), text.size());
    file.close();

    TBDFFont reference;
    const TBDFReadReport expected = ParseBDF(View(text), reference, {0, TCodeSource::Encoding, 1});
    QVERIFY(reference.Chars.size() > 30000);
    QCOMPARE(QString::fromStdString(reference.FontName), QString("renamed"));
    QCOMPARE(expected.SawEndFont, nulAt < 0);
    for (int threads : {0, 1, 2, 3, 7}) {
        for (size_t window : {size_t{0}, size_t{4096}}) {
            TBDFFont font;
            ThreadStarts = 0;
            FirstFailingStart = failingStart;
            SetThreadStartHook(FailThreadStart);
            const TBDFReadReport report = OpenBDF(path, font, {0, TCodeSource::Encoding, threads, window});
            SetThreadStartHook(nullptr);
            const QString what = QString("%1 threads, window %2").arg(threads).arg(window);
            QVERIFY2(font == reference, qPrintable(what));
            QVERIFY2(report.SawEndFont == expected.SawEndFont, qPrintable(what));
        }
    }
}

void TstBDFReader::notAFontIsRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("png") << PngBytes();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("plain-text") << QByteArray("hello\nFONT not really\nENDFONT\n");
    QTest::newRow("keyword-after-nul") << QByteArray("junk\0STARTFONT 2.1\n", 20);
    QTest::newRow("keyword-indented") << QByteArray(" STARTFONT 2.1\n STARTCHAR 0041\n");
}

void TstBDFReader::notAFontIsRefused()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/file.bdf").toStdString();
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    TBDFFont font;
    font.FontName = "before";
    font.Chars.resize(2);
    const TBDFFont copy = font;
    try {
        OpenBDF(path, font);
        QFAIL("no error for a file that is not a font");
    } catch (const TFileError &e) {
        QCOMPARE(e.path(), path);
        QCOMPARE(std::string(e.what()), "\"" + path + "\" is not a BDF font");
    }
    QVERIFY(font == copy);
    // A single STARTCHAR line is enough to count as a font.
    f.open(QIODevice::WriteOnly);
    f.write("STARTCHAR 0041\n");
    f.close();
    QCOMPARE(OpenBDF(path, font).isFont(), true);
    QCOMPARE(font.Chars.size(), size_t(1));
}

void TstBDFReader::onlyRegularFilesAreRead_data()
{
    AddHostileRows({"fifo", "zero", "folder"});
}

void TstBDFReader::onlyRegularFilesAreRead()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/special.bdf").toStdString();
    QVERIFY(MakeHostileFile(kind, QString::fromStdString(path)));
    TBDFFont font;
    // Run in a thread of its own, so a read that blocks fails the test instead of hanging it.
    auto result = std::async(std::launch::async, [&] {
        try {
            OpenBDF(path, font);
            return std::string("no error");
        } catch (const TFileError &e) {
            return std::string(e.what());
        }
    });
    if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        if (kind == "fifo") {
            // Unblock the reader, so the test can end.
            int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        QFAIL("the read did not return");
    }
    const std::string message = result.get();
    QVERIFY2(message.find(path) != std::string::npos, message.c_str());
    QVERIFY2(message.find("not a regular file") != std::string::npos || message.find("folder") != std::string::npos,
             message.c_str());
}

void TstBDFReader::truncatedFontOpensWithWarning()
{
    const QByteArray text = "STARTFONT 2.1\nFONT cut\nSTARTCHAR 0041\nBBX 8 1 0 0\nBITMAP\n80\nENDCHAR\nSTARTCHAR 00";
    TBDFFont font;
    TBDFReadReport report = ParseBDF(View(text), font);
    QVERIFY(report.looksTruncated());
    QCOMPARE(font.Chars.size(), size_t(2));
    const std::string warning = ReadWarningText("/f/cut.bdf", font, report);
    QVERIFY(warning.find("/f/cut.bdf") != std::string::npos);
    QVERIFY(warning.find("truncated") != std::string::npos);
    report = ParseBDF(View(text + "41\nENDCHAR\nENDFONT\n"), font);
    QVERIFY(!report.looksTruncated());
    QCOMPARE(ReadWarningText("/f/cut.bdf", font, report), std::string());
}

void TstBDFReader::header_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("full") << QByteArray("STARTFONT 2.1\nFONT -misc-fixed\nSIZE 16 75 75\nFONTBOUNDINGBOX 8 16 0 -2\n"
                                        "STARTPROPERTIES 2\nUid 77\nFONT_ASCENT 14\nENDPROPERTIES\nCHARS 0\nENDFONT\n")
                          << "-misc-fixed|16 75 75|8 16 0 -2|77|2.1";
    QTest::newRow("uid-outside-properties") << QByteArray("Uid -5\n") << "||0 0 0 0|-5|";
    QTest::newRow("uid-fraction-is-0") << QByteArray("Uid 1.5\n") << "||0 0 0 0|0|";
    QTest::newRow("uid-tick-count") << QByteArray("Uid 4294967295\n") << "||0 0 0 0|4294967295|";
    QTest::newRow("uid-prefix-word") << QByteArray("UidX 9\n") << "||0 0 0 0|9|";
    QTest::newRow("uid-minus-0-is-0") << QByteArray("Uid -0\n") << "||0 0 0 0|0|";
    QTest::newRow("later-duplicate-overwrites") << QByteArray("FONT a\nFONT b\n") << "b||0 0 0 0|0|";
    QTest::newRow("font-needs-blank") << QByteArray("FONTX a\nFONT_NAME b\n") << "||0 0 0 0|0|";
    QTest::newRow("no-blank-loses-first-char") << QByteArray("SIZE16 75\n") << "|6 75|0 0 0 0|0|";
    QTest::newRow("font-tab-is-no-blank") << QByteArray("FONT\tabc\n") << "||0 0 0 0|0|";
    QTest::newRow("extra-blanks-trimmed") << QByteArray("FONT    name   \n") << "name||0 0 0 0|0|";
    QTest::newRow("value-cut-at-255") << QByteArray("FONT " + QByteArray(300, 'n') + "\n")
                                      << QString(255, 'n') + "||0 0 0 0|0|";
    QTest::newRow("byte-order-mark") << QByteArray("\xEF\xBB\xBFSTARTFONT 2.1\nFONT f\n") << "f||0 0 0 0|0|2.1";
    QTest::newRow("chars-huge-ignored") << QByteArray("CHARS 4294967295\nCHARS 2147483647\nFONT f\n") << "f||0 0 0 0|0|";
    QTest::newRow("keyword-not-at-line-start") << QByteArray(" FONT f\n") << "||0 0 0 0|0|";
    QTest::newRow("font-property-is-no-name")
        << QByteArray("FONT -a-b\nSTARTPROPERTIES 1\nFONT \"-x-y\"\nENDPROPERTIES\n") << "-a-b||0 0 0 0|0|";
}

void TstBDFReader::header()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    TBDFFont font;
    ParseBDF(View(text), font);
    QCOMPARE(DumpHeader(font), expected);
}

void TstBDFReader::lineEnds_data()
{
    QTest::addColumn<QByteArray>("ending");
    QTest::addColumn<bool>("finalEnding");
    QTest::newRow("lf") << QByteArray("\n") << true;
    QTest::newRow("crlf") << QByteArray("\r\n") << true;
    QTest::newRow("cr") << QByteArray("\r") << true;
    QTest::newRow("lf-no-final") << QByteArray("\n") << false;
    QTest::newRow("crlf-no-final") << QByteArray("\r\n") << false;
}

void TstBDFReader::lineEnds()
{
    QFETCH(QByteArray, ending);
    QFETCH(bool, finalEnding);
    QByteArray text = "FONT f\nSTARTCHAR 0041\nBBX 8 2 0 0\nBITMAP\n80\n01";
    text.replace("\n", ending);
    if (finalEnding)
        text += ending;
    TBDFFont font;
    ParseBDF(View(text), font);
    QCOMPARE(DumpChars(font), QString("41/8/2/0/0:80,1"));
    QCOMPARE(font.FontName, std::string("f"));
}

void TstBDFReader::wideGlyphsAreCutAndReported()
{
    QByteArray text = "FONT Wide\n" + Glyph("0041", "72 1 0 0", "FFFFFFFFFFFFFFFFFF\n") + Glyph("0042", "100 1 0 0", "") +
                      Glyph("0043", "64 1 0 0", "FF\n");
    TBDFFont font;
    TBDFReadReport report = ParseBDF(View(text), font);
    QCOMPARE(report.CutGlyphs, 2);
    QCOMPARE(font.Chars[0].Bitmap[0], ~uint64_t{0});
    std::string warning = ReadWarningText("/x/wide.bdf", font, report);
    QVERIFY(warning.find("Wide") != std::string::npos);
    QVERIFY(warning.find("/x/wide.bdf") != std::string::npos);
    QVERIFY(warning.find("2 glyphs were wider than 64 pixels and kept only their leftmost 64 columns") !=
            std::string::npos);
    QCOMPARE(ReadWarningText("p", font, TBDFReadReport{}), std::string());
}

void TstBDFReader::hugeInputsStayBounded()
{
    // 100,000 rows in one glyph are all kept, in memory of their own size.
    QByteArray rows;
    rows.reserve(300000);
    for (int i = 0; i < 100000; ++i)
        rows += "A5\n";
    QByteArray text = Glyph("0041", "8 3 0 0", rows);
    TBDFFont font;
    ParseBDF(View(text), font);
    QCOMPARE(font.Chars.size(), size_t(1));
    QCOMPARE(font.Chars[0].Bitmap.size(), size_t(100000));
    QCOMPARE(font.Chars[0].Bitmap[99999], uint64_t(0xA5));
    QVERIFY(font.Chars[0].Bitmap.capacity() <= 100000 * 2);
}

void TstBDFReader::headerFieldsMissingKeepCallersValues()
{
    TBDFFont font;
    font.FontName = "kept";
    font.Uid = 9;
    font.Chars.resize(3);
    ParseBDF("SIZE 10\n", font);
    QCOMPARE(font.FontName, std::string("kept"));
    QCOMPARE(font.Uid, 9.0);
    QCOMPARE(font.Size, std::string("10"));
    QVERIFY(font.Chars.empty());
}

void TstBDFReader::unreadableFileLeavesFontAlone()
{
    TBDFFont font;
    font.FontName = "before";
    font.Chars.resize(2);
    const TBDFFont copy = font;
    QTemporaryDir dir;
    const std::string missing = (dir.path() + "/missing.bdf").toStdString();
    try {
        OpenBDF(missing, font);
        QFAIL("no error for a missing file");
    } catch (const TFileError &e) {
        QCOMPARE(e.path(), missing);
        QVERIFY(std::string(e.what()).find(missing) != std::string::npos);
        QVERIFY(std::string(e.what()).find("No such file") != std::string::npos);
    }
    QVERIFY(font == copy);
}

namespace {

// How the file is changed once it has been read, before the reader checks it.
QByteArray Change;
void ChangeFile(const std::string &path)
{
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    f.close();
    if (Change == "rewrite") {
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.write(QByteArray(text).replace("80", "40"));
    } else if (Change == "append") {
        QVERIFY(f.open(QIODevice::Append));
        f.write("ENDFONT\n");
    } else if (Change == "rename") {
        QFile other(QString::fromStdString(path + ".new"));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.write(text);
        other.close();
        QCOMPARE(::rename((path + ".new").c_str(), path.c_str()), 0);
    }
}

} // namespace

void TstBDFReader::fileChangedWhileReadIsRefused_data()
{
    QTest::addColumn<QByteArray>("change");
    QTest::addColumn<int>("threads");
    QTest::newRow("rewritten-same-size-one-thread") << QByteArray("rewrite") << 1;
    QTest::newRow("rewritten-same-size-threads") << QByteArray("rewrite") << 3;
    QTest::newRow("grown-one-thread") << QByteArray("append") << 1;
    QTest::newRow("replaced-by-rename-one-thread") << QByteArray("rename") << 1;
}

void TstBDFReader::fileChangedWhileReadIsRefused()
{
    QFETCH(QByteArray, change);
    QFETCH(int, threads);
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/font.bdf").toStdString();
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::WriteOnly));
    for (int i = 0; i < 9; ++i)
        f.write(Glyph(QByteArray::number(0x41 + i, 16), "8 1 0 0", "80\n"));
    f.close();
    // An old time, so the change surely gives the file another one.
    const timespec old[2] = {{946684800, 0}, {946684800, 0}};
    QCOMPARE(::utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
    TBDFFont font;
    font.FontName = "before";
    Change = change;
    SetReadCheckHook(ChangeFile);
    std::string message;
    try {
        OpenBDF(path, font, {0, TCodeSource::Encoding, threads});
    } catch (const TFileError &e) {
        QCOMPARE(e.path(), path);
        message = e.what();
    }
    SetReadCheckHook(nullptr);
    QVERIFY2(message.find("the file changed while it was read") != std::string::npos, message.c_str());
    QCOMPARE(font.FontName, std::string("before"));
    QVERIFY(font.Chars.empty());
}

QTEST_APPLESS_MAIN(TstBDFReader)
#include "tst_bdfreader.moc"
