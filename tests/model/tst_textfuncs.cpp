#include "model/textfuncs.h"

#include <QtTest>

class TstTextFuncs : public QObject {
    Q_OBJECT
private slots:
    void parseIntDef_data();
    void parseIntDef();
    void hexToInt_data();
    void hexToInt();
    void parseUid_data();
    void parseUid();
    void extractWord_data();
    void extractWord();
    void trimSpaces();
    void formatHex_data();
    void formatHex();
    void formatUid();
};

void TstTextFuncs::parseIntDef_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    // -7 is the default passed in: it shows the text was refused.
    QTest::newRow("plain") << QByteArray("12") << 12;
    QTest::newRow("leading-spaces") << QByteArray("   12") << 12;
    QTest::newRow("trailing-space-refused") << QByteArray("12 ") << -7;
    QTest::newRow("plus") << QByteArray("+12") << 12;
    QTest::newRow("minus-dollar") << QByteArray("-$10") << -16;
    QTest::newRow("0x") << QByteArray("0x1F") << 31;
    QTest::newRow("0X") << QByteArray("0X1f") << 31;
    QTest::newRow("x") << QByteArray("x1F") << 31;
    QTest::newRow("X") << QByteArray("X1F") << 31;
    QTest::newRow("max") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("max-plus-one-refused") << QByteArray("2147483648") << -7;
    QTest::newRow("min") << QByteArray("-2147483648") << int(-2147483647 - 1);
    QTest::newRow("min-minus-one-refused") << QByteArray("-2147483649") << -7;
    QTest::newRow("fraction-refused") << QByteArray("3.5") << -7;
    QTest::newRow("empty-refused") << QByteArray("") << -7;
    QTest::newRow("lone-sign-refused") << QByteArray("-") << -7;
    QTest::newRow("lone-prefix-refused") << QByteArray("$") << -7;
    QTest::newRow("lone-0x-refused") << QByteArray("0x") << -7;
    QTest::newRow("hex-pattern-unchanged") << QByteArray("$FFFFFFFF") << -1;
    QTest::newRow("hex-leading-zeros") << QByteArray("$000000001") << 1;
    QTest::newRow("hex-nine-digits-refused") << QByteArray("$123456789") << -7;
    QTest::newRow("huge-decimal-refused") << QByteArray("99999999999999999999") << -7;
    QTest::newRow("leading-zeros") << QByteArray("007") << 7;
    QTest::newRow("tab-refused") << QByteArray("\t5") << -7;
    QTest::newRow("space-after-sign-refused") << QByteArray("- 5") << -7;
}

void TstTextFuncs::parseIntDef()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    QCOMPARE(ParseIntDef(std::string_view(text.constData(), text.size()), -7), expected);
}

void TstTextFuncs::hexToInt_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("lower") << QByteArray("1f") << 31;
    QTest::newRow("upper") << QByteArray("1F") << 31;
    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("blank-inside") << QByteArray("1 F") << 0;
    QTest::newRow("trailing-blank") << QByteArray("f8 ") << 0;
    QTest::newRow("nine-significant") << QByteArray("123456789") << 0;
    QTest::newRow("ten-digits-leading-zeros") << QByteArray("00FFFFFFFF") << -1;
    QTest::newRow("top-bit") << QByteArray("80000000") << int(0x80000000u);
    QTest::newRow("with-dollar") << QByteArray("$10") << 16;
    QTest::newRow("dollar-inside-invalid") << QByteArray("1$0") << 0;
    QTest::newRow("sign-invalid") << QByteArray("-5") << 0;
    QTest::newRow("name-A") << QByteArray("A") << 10;
    QTest::newRow("name-space") << QByteArray("space") << 0;
    QTest::newRow("name-uni0041") << QByteArray("uni0041") << 0;
    QTest::newRow("FFFFFFFF") << QByteArray("FFFFFFFF") << -1;
}

void TstTextFuncs::hexToInt()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    QCOMPARE(HexToInt(std::string_view(text.constData(), text.size())), expected);
}

void TstTextFuncs::parseUid_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("small") << QByteArray("77") << 77.0;
    QTest::newRow("negative") << QByteArray("-5") << -5.0;
    QTest::newRow("fraction") << QByteArray("1.5") << 0.0;
    QTest::newRow("above-int32") << QByteArray("3000000000") << 3000000000.0;
    QTest::newRow("uint32-max") << QByteArray("4294967295") << 4294967295.0;
    QTest::newRow("above-uint32") << QByteArray("4294967296") << 0.0;
    QTest::newRow("int32-min") << QByteArray("-2147483648") << -2147483648.0;
    QTest::newRow("below-int32-min") << QByteArray("-2147483649") << 0.0;
    QTest::newRow("hex-as-int32") << QByteArray("$FFFFFFFF") << -1.0;
    QTest::newRow("empty") << QByteArray("") << 0.0;
}

void TstTextFuncs::parseUid()
{
    QFETCH(QByteArray, text);
    QFETCH(double, expected);
    QCOMPARE(ParseUidDef(std::string_view(text.constData(), text.size()), 0), expected);
}

void TstTextFuncs::extractWord_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("delimiters");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("second-after-runs") << 2 << QByteArray("  ab   cd") << QByteArray(" ") << QByteArray("cd");
    QTest::newRow("third-missing") << 3 << QByteArray("  ab   cd") << QByteArray(" ") << QByteArray("");
    QTest::newRow("first") << 1 << QByteArray("  ab   cd") << QByteArray(" ") << QByteArray("ab");
    QTest::newRow("tab-not-delimiter") << 1 << QByteArray("8\t16 0") << QByteArray(" ") << QByteArray("8\t16");
    QTest::newRow("several-delimiters") << 2 << QByteArray("a,b;c") << QByteArray(",;") << QByteArray("b");
    QTest::newRow("empty-text") << 1 << QByteArray("") << QByteArray(" ") << QByteArray("");
    QTest::newRow("zero-n") << 0 << QByteArray("a b") << QByteArray(" ") << QByteArray("");
}

void TstTextFuncs::extractWord()
{
    QFETCH(int, n);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, delimiters);
    QFETCH(QByteArray, expected);
    std::string_view word = ExtractWord(n, std::string_view(text.constData(), text.size()),
                                        std::string_view(delimiters.constData(), delimiters.size()));
    QCOMPARE(QByteArray(word.data(), qsizetype(word.size())), expected);
}

void TstTextFuncs::trimSpaces()
{
    QCOMPARE(TrimSpaces("  a b  "), std::string_view("a b"));
    QCOMPARE(TrimSpaces("\ta\t"), std::string_view("\ta\t"));
    QCOMPARE(TrimSpaces("    "), std::string_view(""));
}

void TstTextFuncs::formatHex_data()
{
    QTest::addColumn<quint64>("value");
    QTest::addColumn<int>("digits");
    QTest::addColumn<QString>("expected");
    QTest::newRow("pad") << quint64(65) << 4 << "0041";
    QTest::newRow("exact") << quint64(1234) << 4 << "04D2";
    QTest::newRow("longer-not-cut") << quint64(65536) << 4 << "10000";
    QTest::newRow("minus-one-pattern") << quint64(0xFFFFFFFFu) << 4 << "FFFFFFFF";
    QTest::newRow("ten-digits") << quint64(0xFFFFFFFFu) << 10 << "00FFFFFFFF";
    QTest::newRow("zero") << quint64(0) << 2 << "00";
    QTest::newRow("sixteen") << quint64(0x8000000000000001ull) << 16 << "8000000000000001";
    QTest::newRow("stray-bit") << quint64(0x1F8) << 2 << "1F8";
}

void TstTextFuncs::formatHex()
{
    QFETCH(quint64, value);
    QFETCH(int, digits);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(FormatHex(value, digits)), expected);
}

void TstTextFuncs::formatUid()
{
    QCOMPARE(FormatUid(4294967295.0), std::string("4294967295"));
    QCOMPARE(FormatUid(-5), std::string("-5"));
    QCOMPARE(FormatUid(0), std::string("0"));
    QCOMPARE(FormatUid(123456789012.0), std::string("123456789012"));
}

QTEST_APPLESS_MAIN(TstTextFuncs)
#include "tst_textfuncs.moc"
