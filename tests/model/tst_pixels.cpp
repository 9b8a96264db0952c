#include "model/bdfmodel.h"

#include <QtTest>

class TstPixels : public QObject {
    Q_OBJECT
private slots:
    void rowBytesAndBits_data();
    void rowBytesAndBits();
    void pixelOps_data();
    void pixelOps();
    void outsideRowsChangeNothing();
    void deepCopies();
    void hugeAndNegativeWidthsTouchNothing();
};

void TstPixels::rowBytesAndBits_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("rowBytes");
    QTest::addColumn<int>("leftBit");
    QTest::addColumn<int>("rightBit");
    QTest::newRow("width-0") << 0 << 1 << 7 << 8;
    QTest::newRow("width-1") << 1 << 1 << 7 << 7;
    QTest::newRow("width-5") << 5 << 1 << 7 << 3;
    QTest::newRow("width-8") << 8 << 1 << 7 << 0;
    QTest::newRow("width-9") << 9 << 2 << 15 << 7;
    QTest::newRow("width-12") << 12 << 2 << 15 << 4;
    QTest::newRow("width-16") << 16 << 2 << 15 << 0;
    QTest::newRow("width-24") << 24 << 3 << 23 << 0;
    QTest::newRow("width-32") << 32 << 4 << 31 << 0;
    QTest::newRow("width-33") << 33 << 5 << 39 << 7;
    QTest::newRow("width-64") << 64 << 8 << 63 << 0;
    // Widths from damaged files: computed without overflow, bits outside the row are -1.
    QTest::newRow("width-int32-max") << 2147483647 << 268435456 << -1 << 1;
    QTest::newRow("width-2-billion") << 2000000000 << 250000000 << -1 << 0;
}

void TstPixels::rowBytesAndBits()
{
    QFETCH(int, width);
    QFETCH(int, rowBytes);
    QFETCH(int, leftBit);
    QFETCH(int, rightBit);
    QCOMPARE(RowBytes(width), rowBytes);
    QCOMPARE(PixelBit(width, 0), leftBit);
    QCOMPARE(PixelBit(width, width - 1), rightBit);
}

void TstPixels::pixelOps_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<quint64>("row");
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("x");
    QTest::addColumn<quint64>("expected");
    QTest::addColumn<bool>("inkAfter");
    QTest::newRow("set-col2-width5") << 5 << quint64(0x88) << "set" << 2 << quint64(0xA8) << true;
    QTest::newRow("clear-col0-width5") << 5 << quint64(0xA8) << "clear" << 0 << quint64(0x28) << false;
    QTest::newRow("toggle-col4-width5") << 5 << quint64(0x28) << "toggle" << 4 << quint64(0x20) << false;
    QTest::newRow("set-sign-bit-width32") << 32 << quint64(0) << "set" << 0 << quint64(0x80000000u) << true;
    QTest::newRow("set-last-width12") << 12 << quint64(0) << "set" << 11 << quint64(0x10) << true;
    QTest::newRow("set-first-width64") << 64 << quint64(0) << "set" << 0 << quint64(0x8000000000000000ull) << true;
    QTest::newRow("set-col32-width40") << 40 << quint64(0) << "set" << 32 << quint64(0x80) << true;
    QTest::newRow("toggle-set-pixel") << 8 << quint64(0xFF) << "toggle" << 7 << quint64(0xFE) << false;
    QTest::newRow("negative-width-no-change") << -20 << quint64(0x55) << "set" << 0 << quint64(0x55) << false;
}

void TstPixels::pixelOps()
{
    QFETCH(int, width);
    QFETCH(quint64, row);
    QFETCH(QString, op);
    QFETCH(int, x);
    QFETCH(quint64, expected);
    QFETCH(bool, inkAfter);
    TBDFChar ch;
    ch.BBXWidth = width;
    ch.Bitmap = {row};
    if (op == "set")
        SetPixel(ch, 0, x);
    else if (op == "clear")
        ClearPixel(ch, 0, x);
    else
        TogglePixel(ch, 0, x);
    QCOMPARE(ch.Bitmap[0], expected);
    QCOMPARE(GetPixel(ch, 0, x), inkAfter);
}

void TstPixels::outsideRowsChangeNothing()
{
    // A glyph whose BBXHeight exceeds its rows: the missing rows read blank and ignore edits.
    TBDFChar ch;
    ch.BBXWidth = 8;
    ch.BBXHeight = 3;
    ch.Bitmap = {0x80, 0x01};
    QVERIFY(GetPixel(ch, 0, 0));
    QVERIFY(!GetPixel(ch, 2, 0));
    QVERIFY(!GetPixel(ch, -1, 0));
    SetPixel(ch, 2, 0);
    TogglePixel(ch, -1, 0);
    QCOMPARE(ch.Bitmap.size(), size_t(2));
    QCOMPARE(ch.Bitmap, (std::vector<uint64_t>{0x80, 0x01}));
}

void TstPixels::deepCopies()
{
    TBDFFont a;
    a.Chars.resize(1);
    a.Chars[0].BBXWidth = 8;
    a.Chars[0].Bitmap = {0};
    TBDFFont b = a;
    SetPixel(b.Chars[0], 0, 0);
    QCOMPARE(a.Chars[0].Bitmap[0], uint64_t(0));
    QCOMPARE(b.Chars[0].Bitmap[0], uint64_t(0x80));
}

void TstPixels::hugeAndNegativeWidthsTouchNothing()
{
    for (int32_t width : {INT32_MIN, -1, 2000000000, INT32_MAX}) {
        TBDFChar ch;
        ch.BBXWidth = width;
        ch.Bitmap = {0};
        for (int x : {0, 1, 63, 64, 1000000}) {
            SetPixel(ch, 0, x);
            TogglePixel(ch, 0, x);
            QVERIFY(!GetPixel(ch, 0, x));
        }
        QCOMPARE(ch.Bitmap[0], uint64_t(0));
    }
}

QTEST_APPLESS_MAIN(TstPixels)
#include "tst_pixels.moc"
