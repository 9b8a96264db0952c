#include "editor/glyphops.h"
#include "editor/pixelops.h"

#include <QtTest>

using TOp = void (*)(TBDFChar &);
Q_DECLARE_METATYPE(TOp)
using TRows = QList<quint64>;

namespace {

TBDFChar Make(int width, int height, const TRows &rows)
{
    TBDFChar ch;
    ch.BBXWidth = width;
    ch.BBXHeight = height;
    for (quint64 r : rows)
        ch.Bitmap.push_back(r);
    return ch;
}

TRows Rows(const TBDFChar &ch)
{
    TRows out;
    for (uint64_t r : ch.Bitmap)
        out << r;
    return out;
}

} // namespace

class TstGlyphOps : public QObject {
    Q_OBJECT
private slots:
    void ops_data();
    void ops();
    void growThenShrinkKeepsHiddenColumn();
    void hugeHeightsMakeBoundedRows();
    void codes();
    void block();
    void renumber_data();
    void renumber();
    void pixelBlocks();
};

void TstGlyphOps::ops_data()
{
    QTest::addColumn<TOp>("op");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<TRows>("rows");
    QTest::addColumn<int>("newWidth");
    QTest::addColumn<int>("newHeight");
    QTest::addColumn<TRows>("newRows");
    const TOp grow = GrowWidth, shrink = ShrinkWidth, growH = GrowHeight, shrinkH = ShrinkHeight, left = RotateLeft,
              up = RotateUp;
    QTest::newRow("shrink-9-to-8") << shrink << 9 << 1 << TRows{0xFF80} << 8 << 1 << TRows{0xFF};
    QTest::newRow("grow-8-to-9") << grow << 8 << 1 << TRows{0xFF} << 9 << 1 << TRows{0xFF00};
    QTest::newRow("shrink-6-to-5-keeps-bits") << shrink << 6 << 1 << TRows{0xFC} << 5 << 1 << TRows{0xFC};
    QTest::newRow("shrink-1-stays") << shrink << 1 << 1 << TRows{0x80} << 1 << 1 << TRows{0x80};
    QTest::newRow("shrink-0-to-1") << shrink << 0 << 0 << TRows{} << 1 << 0 << TRows{};
    QTest::newRow("shrink-minus-3-to-1") << shrink << -3 << 0 << TRows{} << 1 << 0 << TRows{};
    // Widths no row can hold (a damaged file): no overflow, and the rows stay within their 64 bits.
    QTest::newRow("rotate-left-width-int32-max") << left << 2147483647 << 1 << TRows{0x81} << 2147483647 << 1
                                                 << TRows{0x102};
    QTest::newRow("rotate-left-width-int32-min") << left << int(INT32_MIN) << 1 << TRows{0x81} << int(INT32_MIN) << 1
                                                 << TRows{0x102};
    QTest::newRow("grow-at-64-stays") << grow << 64 << 1 << TRows{1} << 64 << 1 << TRows{1};
    QTest::newRow("grow-24-to-25") << grow << 24 << 1 << TRows{0xFFFFFF} << 25 << 1 << TRows{0xFFFFFF00};
    QTest::newRow("grow-24-to-25-drops-stray-high-bits") << grow << 24 << 1 << TRows{0x1FFFFFF} << 25 << 1
                                                         << TRows{0xFFFFFF00};
    QTest::newRow("grow-32-to-33") << grow << 32 << 1 << TRows{0x80000001} << 33 << 1 << TRows{0x8000000100};
    QTest::newRow("grow-40-to-41") << grow << 40 << 1 << TRows{0xFF000000FF} << 41 << 1 << TRows{0xFF000000FF00};
    QTest::newRow("grow-57-shifts") << grow << 56 << 1 << TRows{0x80000000000000} << 57 << 1
                                    << TRows{0x8000000000000000};
    QTest::newRow("grow-64-stops") << grow << 64 << 1 << TRows{1} << 64 << 1 << TRows{1};
    QTest::newRow("shrink-33-to-32") << shrink << 33 << 1 << TRows{0x8000000100} << 32 << 1 << TRows{0x80000001};
    QTest::newRow("shrink-41-to-40") << shrink << 41 << 1 << TRows{0xFF000000FF00} << 40 << 1 << TRows{0xFF000000FF};
    QTest::newRow("shrink-57-to-56") << shrink << 57 << 1 << TRows{0x8000000000000000} << 56 << 1
                                     << TRows{0x80000000000000};
    QTest::newRow("shrink-64-to-63-keeps") << shrink << 64 << 1 << TRows{1} << 63 << 1 << TRows{1};
    // The transforms on the glyph's whole box; bits past the width stay as they are.
    const TOp shiftL = [](TBDFChar &c) { ShiftPixels(c, GlyphBox(c), TShift::Left, false); };
    const TOp shiftR = [](TBDFChar &c) { ShiftPixels(c, GlyphBox(c), TShift::Right, false); };
    const TOp wrapL = [](TBDFChar &c) { ShiftPixels(c, GlyphBox(c), TShift::Left, true); };
    const TOp wrapR = [](TBDFChar &c) { ShiftPixels(c, GlyphBox(c), TShift::Right, true); };
    const TOp shiftD = [](TBDFChar &c) { ShiftPixels(c, GlyphBox(c), TShift::Down, false); };
    const TOp wrapU = [](TBDFChar &c) { ShiftPixels(c, GlyphBox(c), TShift::Up, true); };
    const TOp flipH = [](TBDFChar &c) { FlipHorizontally(c, GlyphBox(c)); };
    const TOp flipV = [](TBDFChar &c) { FlipVertically(c, GlyphBox(c)); };
    const TOp invert = [](TBDFChar &c) { InvertPixels(c, GlyphBox(c)); };
    const TOp clear = [](TBDFChar &c) { ClearPixels(c, GlyphBox(c)); };
    QTest::newRow("shift-right-5") << shiftR << 5 << 1 << TRows{0xA0} << 5 << 1 << TRows{0x50};
    QTest::newRow("shift-right-5-keeps-stray-bits") << shiftR << 5 << 1 << TRows{0xA7} << 5 << 1 << TRows{0x57};
    QTest::newRow("shift-left-5-drops") << shiftL << 5 << 1 << TRows{0xA0} << 5 << 1 << TRows{0x40};
    QTest::newRow("wrap-left-5") << wrapL << 5 << 1 << TRows{0xA0} << 5 << 1 << TRows{0x48};
    QTest::newRow("shift-right-1-drops") << shiftR << 1 << 1 << TRows{0x80} << 1 << 1 << TRows{0};
    QTest::newRow("wrap-right-1") << wrapR << 1 << 1 << TRows{0x80} << 1 << 1 << TRows{0x80};
    QTest::newRow("wrap-left-9") << wrapL << 9 << 1 << TRows{0x8000} << 9 << 1 << TRows{0x0080};
    QTest::newRow("shift-right-64-drops") << shiftR << 64 << 1 << TRows{1} << 64 << 1 << TRows{0};
    QTest::newRow("wrap-right-64") << wrapR << 64 << 1 << TRows{1} << 64 << 1 << TRows{0x8000000000000000};
    QTest::newRow("shift-down") << shiftD << 8 << 2 << TRows{0x80, 0x40} << 8 << 2 << TRows{0, 0x80};
    QTest::newRow("wrap-up") << wrapU << 8 << 2 << TRows{0x80, 0x40} << 8 << 2 << TRows{0x40, 0x80};
    QTest::newRow("flip-h-8") << flipH << 8 << 1 << TRows{0xC0} << 8 << 1 << TRows{0x03};
    QTest::newRow("flip-h-9") << flipH << 9 << 1 << TRows{0x8000} << 9 << 1 << TRows{0x0080};
    QTest::newRow("flip-v-makes-missing-rows") << flipV << 8 << 3 << TRows{0x80} << 8 << 3 << TRows{0, 0, 0x80};
    QTest::newRow("invert-8") << invert << 8 << 1 << TRows{0x0F} << 8 << 1 << TRows{0xF0};
    QTest::newRow("invert-100-wide-inks-its-64-bits") << invert << 100 << 1 << TRows{0} << 100 << 1
                                                      << TRows{0xFFFFFFFFFFFFFFF0};
    QTest::newRow("clear-5") << clear << 5 << 2 << TRows{0xFF, 0xF8} << 5 << 2 << TRows{0x07, 0};
    QTest::newRow("invert-width-0-changes-nothing") << invert << 0 << 1 << TRows{0x80} << 0 << 1 << TRows{0x80};
    QTest::newRow("grow-height") << growH << 8 << 2 << TRows{0x80, 0x40} << 8 << 3 << TRows{0x80, 0x40, 0};
    QTest::newRow("grow-height-drops-extra-rows") << growH << 8 << 1 << TRows{1, 2, 3} << 8 << 2 << TRows{1, 2};
    QTest::newRow("shrink-height") << shrinkH << 8 << 3 << TRows{1, 2, 3} << 8 << 2 << TRows{1, 2};
    QTest::newRow("shrink-height-1-stays") << shrinkH << 8 << 1 << TRows{5} << 8 << 1 << TRows{5};
    QTest::newRow("shrink-height-pads") << shrinkH << 8 << 4 << TRows{5} << 8 << 3 << TRows{5, 0, 0};
    QTest::newRow("rotate-left-width-5") << left << 5 << 1 << TRows{0x88} << 5 << 1 << TRows{0x18};
    QTest::newRow("rotate-left-width-32") << left << 32 << 1 << TRows{0x80000001} << 32 << 1 << TRows{0x3};
    QTest::newRow("rotate-left-width-12") << left << 12 << 1 << TRows{0x8010} << 12 << 1 << TRows{0x0030};
    QTest::newRow("rotate-left-leftover-bit-becomes-pixel") << left << 5 << 1 << TRows{0x04} << 5 << 1
                                                             << TRows{0x08};
    QTest::newRow("rotate-left-width-40") << left << 40 << 1 << TRows{0x8000000001} << 40 << 1 << TRows{0x3};
    QTest::newRow("rotate-left-width-64") << left << 64 << 1 << TRows{0x8000000000000001} << 64 << 1 << TRows{0x3};
    QTest::newRow("rotate-left-width-0") << left << 0 << 1 << TRows{0x80} << 0 << 1 << TRows{0};
    QTest::newRow("rotate-up") << up << 8 << 3 << TRows{1, 2, 3} << 8 << 3 << TRows{2, 3, 1};
    QTest::newRow("rotate-up-one-row") << up << 8 << 1 << TRows{7} << 8 << 1 << TRows{7};
    QTest::newRow("rotate-up-no-rows") << up << 8 << 0 << TRows{} << 8 << 0 << TRows{};
}

void TstGlyphOps::ops()
{
    QFETCH(TOp, op);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(TRows, rows);
    QFETCH(int, newWidth);
    QFETCH(int, newHeight);
    QFETCH(TRows, newRows);
    TBDFChar ch = Make(width, height, rows);
    op(ch);
    QCOMPARE(ch.BBXWidth, newWidth);
    QCOMPARE(ch.BBXHeight, newHeight);
    QCOMPARE(Rows(ch), newRows);
}

void TstGlyphOps::growThenShrinkKeepsHiddenColumn()
{
    TBDFChar ch = Make(6, 1, {0xFC});
    ShrinkWidth(ch);
    GrowWidth(ch);
    QCOMPARE(ch.BBXWidth, 6);
    QVERIFY(GetPixel(ch, 0, 5));
}

void TstGlyphOps::hugeHeightsMakeBoundedRows()
{
    // Rows a glyph has are kept however many; only created rows are bounded.
    TBDFChar many = Make(8, 70000, TRows(70000, 0x80));
    GrowHeight(many);
    QCOMPARE(many.BBXHeight, 70001);
    QCOMPARE(many.Bitmap.size(), size_t(70000));

    TBDFChar ch = Make(8, 2147483646, {1});
    GrowHeight(ch);
    QCOMPARE(ch.BBXHeight, 2147483647);
    QCOMPARE(ch.Bitmap.size(), size_t(MaxCreatedRows));
    QCOMPARE(ch.Bitmap[0], uint64_t(1));
    GrowHeight(ch);
    QCOMPARE(ch.BBXHeight, 2147483647);
    QCOMPARE(ch.Bitmap[0], uint64_t(1));
    ch.BBXHeight = 2;
    ShrinkHeight(ch);
    QCOMPARE(ch.BBXHeight, 1);
    QCOMPARE(ch.Bitmap, std::vector<uint64_t>{1});
}

void TstGlyphOps::codes()
{
    TBDFChar ch;
    CodeDown(ch);
    QCOMPARE(ch.Encoding, 0);
    ch.Encoding = -5;
    CodeDown(ch);
    QCOMPARE(ch.Encoding, 0);
    ch.Encoding = 0xFFFF;
    CodeUp(ch);
    QCOMPARE(ch.Encoding, 0x10000);
    ch.Encoding = INT32_MAX;
    CodeUp(ch);
    QCOMPARE(ch.Encoding, INT32_MIN);
}

void TstGlyphOps::block()
{
    TBDFFont font;
    font.Chars.resize(40);
    for (int i = 0; i < 40; ++i)
        font.Chars[size_t(i)].SWidthX = 500 + i;
    // A block reaching past the end changes what exists and stops there.
    QVERIFY(ApplyToBlock(font, {0, 30, 1, 31}, [](TBDFChar &c) { c.SWidthX += 1; }));
    QCOMPARE(font.Chars[30].SWidthX, 531);
    QCOMPARE(font.Chars[31].SWidthX, 532);
    QCOMPARE(font.Chars[29].SWidthX, 529);
    // Reversed columns across rows: an empty block.
    QVERIFY(!ApplyToBlock(font, {0, 5, 1, 3}, [](TBDFChar &c) { c.SWidthX = 0; }));
    QCOMPARE(font.Chars[5].SWidthX, 505);
    // Setting a value a glyph already has is no change.
    QVERIFY(!ApplyToBlock(font, {0, 2, 0, 2}, [](TBDFChar &c) { c.SWidthX = 502; }));
}

void TstGlyphOps::renumber_data()
{
    QTest::addColumn<QList<int>>("codes");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("consecutive") << QList<int>{0x41, 0x50, 0x20, 0x7F} << QList<int>{0x41, 0x42, 0x43, 0x44};
    QTest::newRow("from-minus-1") << QList<int>{-1, 9, 9, 9} << QList<int>{-1, 0, 1, 2};
    QTest::newRow("from-minus-3") << QList<int>{-3, 9, 9, 9} << QList<int>{-3, -2, -1, 0};
    QTest::newRow("span-past-end") << QList<int>{7, 1} << QList<int>{7, 8};
}

void TstGlyphOps::renumber()
{
    QFETCH(QList<int>, codes);
    QFETCH(QList<int>, expected);
    TBDFFont font;
    for (int c : codes) {
        font.Chars.emplace_back();
        font.Chars.back().Encoding = c;
    }
    RenumberCodes(font, {0, 0, 0, 3});
    QList<int> got;
    for (const TBDFChar &ch : font.Chars)
        got << ch.Encoding;
    QCOMPARE(got, expected);
    QCOMPARE(font.Chars.size(), size_t(codes.size()));
}

void TstGlyphOps::pixelBlocks()
{
    // Columns 1..3 of rows 0..1 of a 6-wide glyph, pasted at column 4 of another:
    // only the two columns inside its box are written, ink and clear alike.
    const TBDFChar from = Make(6, 2, {0x70, 0x28});
    const TPixelBlock block = CopyPixels(from, RectBetween(3, 1, 1, 0));
    QCOMPARE(block, (TPixelBlock{3, 2, {1, 1, 1, 0, 1, 0}}));
    TBDFChar to = Make(6, 3, {0xFC});
    PastePixels(to, block, 4, 1);
    QCOMPARE(Rows(to), (TRows{0xFC, 0x0C, 0x04}));
    // A rectangle past the box is cut to it.
    QCOMPARE(ClipToBox(to, {4, 2, 10, 10}), (TPixelRect{4, 2, 2, 1}));
    QVERIFY(ClipToBox(to, {6, 0, 1, 1}).empty());
}

QTEST_APPLESS_MAIN(TstGlyphOps)
#include "tst_glyphops.moc"
