#include "bdf/bdfexport.h"
#include "bdf/bdfreader.h"

#include <QtTest>

namespace {

QByteArray Export(const QByteArray &text, TBDFExportReport *report = nullptr)
{
    TBDFFont font;
    ParseBDF(std::string_view(text.constData(), size_t(text.size())), font);
    const TByteBuffer out = FormatExportBDF(font, report);
    return QByteArray(out.data(), qsizetype(out.size()));
}

QByteArray Glyph(const QByteArray &name, const QByteArray &encoding, const QByteArray &bbx = "6 13 0 -2",
                 const QByteArray &rows = "")
{
    return "STARTCHAR " + name + "\nENCODING " + encoding + "\nSWIDTH 0 0\nDWIDTH 6 0\nBBX " + bbx + "\nBITMAP\n" + rows +
           "ENDCHAR\n";
}

const QByteArray Head = "STARTFONT 2.1\nFONT bitloom\nSIZE \nFONTBOUNDINGBOX 6 13 0 -2\n";

} // namespace

class TstBDFExport : public QObject {
    Q_OBJECT
private slots:
    void standardText_data();
    void standardText();
    void reportNamesWhatBdftopcfIgnores();
};

void TstBDFExport::standardText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArrayList>("present");
    QTest::addColumn<QByteArrayList>("absent");
    QTest::newRow("strings-quoted-integers-bare")
        << Head + "STARTPROPERTIES 5\nFOUNDRY Misc Fixed\nCOPYRIGHT \"a \"\"b\"\"\"\nPIXEL_SIZE 13\nWEIRD\n"
                  "FONT_ASCENT \"9\"\nENDPROPERTIES\n" + Glyph("A", "65")
        << QByteArrayList{"\nFOUNDRY \"Misc Fixed\"\n", "\nCOPYRIGHT \"a \"\"b\"\"\"\n", "\nPIXEL_SIZE 13\n",
                          "\nWEIRD \"\"\n", "\nFONT_ASCENT 11\n"}
        << QByteArrayList{"\"9\""};
    // A font made in Bitloom: nothing but a name, a box and glyphs.
    QTest::newRow("missing-properties-computed")
        << Head + "STARTPROPERTIES 1\nUid 5\nENDPROPERTIES\n" + Glyph("0041", "65")
        << QByteArrayList{"FONT -Bitloom-bitloom-Medium-R-Normal--13-125-75-75-C-60-ISO10646-1\nSIZE 13 75 75\n",
                          "STARTPROPERTIES 10\nFONT_ASCENT 11\nFONT_DESCENT 2\nPIXEL_SIZE 13\nPOINT_SIZE 125\n"
                          "RESOLUTION_X 75\nRESOLUTION_Y 75\nSPACING \"C\"\nCHARSET_REGISTRY \"ISO10646\"\n"
                          "CHARSET_ENCODING \"1\"\nUid 5\nENDPROPERTIES\nCHARS 1\nSTARTCHAR uni0041\nENCODING 65\nSWIDTH 461 0\n"}
        << QByteArrayList{};
    QTest::newRow("xlfd-name-kept-and-read")
        << "STARTFONT 2.1\nFONT -Misc-Fixed-Medium-R-Normal--13-120-75-75-C-60-ISO8859-1\nSIZE 12 75 75\n"
           "FONTBOUNDINGBOX 6 13 0 -2\n" + Glyph("A", "65")
        << QByteArrayList{"FONT -Misc-Fixed-Medium-R-Normal--13-120-75-75-C-60-ISO8859-1\nSIZE 12 75 75\n",
                          "\nPIXEL_SIZE 13\nPOINT_SIZE 120\n", "\nCHARSET_REGISTRY \"ISO8859\"\nCHARSET_ENCODING \"1\"\n",
                          "\nSWIDTH 480 0\n"}
        << QByteArrayList{};
    QTest::newRow("unique-names")
        << Head + "CHARS 6\n" + Glyph("A", "65") + Glyph("A", "66") + Glyph("0043", "67") + Glyph("uni0043", "68") +
               Glyph("FFFFFFFF", "-1 200") + Glyph("1F600", "128512") + "ENDFONT\n"
        << QByteArrayList{"\nCHARS 6\n", "STARTCHAR A\nENCODING 65\n", "STARTCHAR uni0042\nENCODING 66\n",
                          "STARTCHAR uni0043.1\nENCODING 67\n", "STARTCHAR uni0043\nENCODING 68\n",
                          "STARTCHAR glyph4\nENCODING -1 200\n", "STARTCHAR u1F600\nENCODING 128512\n"}
        << QByteArrayList{};
    QTest::newRow("rows-exactly-the-box")
        << Head + Glyph("a", "97", "5 3 0 0", "F8\n1FF\n") + Glyph("b", "98", "12 1 0 0", "FFF0\nFFFF\n") +
               Glyph("c", "99", "-3 2 0 0", "FF\n")
        << QByteArrayList{"BBX 5 3 0 0\nBITMAP\nF8\nF8\n00\nENDCHAR\n", "BBX 12 1 0 0\nBITMAP\nFFF0\nENDCHAR\n",
                          "BBX 0 2 0 0\nBITMAP\n00\n00\nENDCHAR\n", "\nCHARS 3\n"}
        << QByteArrayList{"1FF", "FFFF\n"};
    // Built from a name of 250 characters, the XLFD name still fits the 255 a FONT line keeps.
    QTest::newRow("long-name-built-into-a-whole-xlfd")
        << "STARTFONT 2.1\nFONT " + QByteArray(250, 'n') + "\nSIZE 12 75 75\nFONTBOUNDINGBOX 6 13 0 -2\n" + Glyph("A", "65")
        << QByteArrayList{"FONT -Bitloom-nnn"} << QByteArrayList{};
    QTest::newRow("default-char-naming-a-glyph")
        << Head + "STARTPROPERTIES 1\nDEFAULT_CHAR 65\nENDPROPERTIES\n" + Glyph("A", "65")
        << QByteArrayList{"\nDEFAULT_CHAR 65\n"} << QByteArrayList{};
    QTest::newRow("default-char-naming-nothing")
        << Head + "STARTPROPERTIES 1\nDEFAULT_CHAR 66\nENDPROPERTIES\n" + Glyph("A", "65") << QByteArrayList{}
        << QByteArrayList{"DEFAULT_CHAR"};
    QTest::newRow("comments-kept-other-lines-not")
        << "COMMENT first\n" + Head + "STRANGE line\nSTARTPROPERTIES 2\nCOMMENT in block\nA 1\nB 2\nENDPROPERTIES\n" +
               "STARTCHAR g\nCOMMENT glyph\nENCODING 1\nVVECTOR 1 2\nSWIDTH 0 0\nDWIDTH 6 0\nBBX 0 0 0 0\nBITMAP\n"
               "ENDCHAR\n"
        << QByteArrayList{"COMMENT first\nSTARTFONT 2.1\n", "\nSTARTPROPERTIES 12\nCOMMENT in block\nA 1\nB 2\n",
                          "STARTCHAR g\nCOMMENT glyph\nENCODING 1\n"}
        << QByteArrayList{"STRANGE", "VVECTOR"};
}

void TstBDFExport::standardText()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArrayList, present);
    QFETCH(QByteArrayList, absent);
    const QByteArray out = Export(text);
    for (const QByteArray &piece : present)
        QVERIFY2(out.contains(QByteArray(piece).replace("\n", "\r\n")), piece.constData());
    for (const QByteArray &piece : absent)
        QVERIFY2(!out.contains(QByteArray(piece).replace("\n", "\r\n")), piece.constData());
    // STARTPROPERTIES counts the property lines, comments aside.
    const QList<QByteArray> lines = out.split('\n');
    qsizetype start = 0;
    while (!lines[start].startsWith("STARTPROPERTIES "))
        ++start;
    int properties = 0;
    for (qsizetype i = start + 1; i < lines.size() && lines[i] != "ENDPROPERTIES\r"; ++i)
        properties += !lines[i].startsWith("COMMENT");
    QCOMPARE(QByteArray::number(properties) + "\r", lines[start].mid(16));
    // What an export writes, an export writes again unchanged.
    QCOMPARE(Export(out), out);
}

void TstBDFExport::reportNamesWhatBdftopcfIgnores()
{
    TBDFExportReport report;
    Export(Head + Glyph("A", "65") + Glyph("B", "65") + Glyph("C", "65") + Glyph("smile", "128512"), &report);
    QCOMPARE(report.Ignored.size(), size_t(3));
    QVERIFY(report.Ignored[0].find("Glyph 0 (A, code 65)") == 0);
    QVERIFY(report.Ignored[0].find("glyph 2") != std::string::npos);
    QVERIFY(report.Ignored[2].find("smile") != std::string::npos);
    const std::string text = ExportReportText(report, 2);
    QVERIFY(text.find("3 glyphs are written but bdftopcf will ignore them") == 0);
    QVERIFY(text.find("... and 1 more.") != std::string::npos);

    // A property name a PCF font may hold that would read back as a keyword is left out and said.
    TBDFFont font;
    ParseBDF((Head + Glyph("A", "65")).toStdString(), font);
    font.Properties = {{"STARTCHAR_X", "1", false}, {"FOUNDRY", "x", true}};
    TBDFExportReport told;
    const TByteBuffer out = FormatExportBDF(font, &told);
    QVERIFY(out.view().find("STARTCHAR_X") == std::string_view::npos);
    QVERIFY(out.view().find("\r\nFOUNDRY \"x\"\r\n") != std::string_view::npos);
    QVERIFY(std::any_of(told.Changes.begin(), told.Changes.end(),
                        [](const std::string &c) { return c.find("Property STARTCHAR_X") == 0; }));
}

QTEST_APPLESS_MAIN(TstBDFExport)
#include "tst_bdfexport.moc"
