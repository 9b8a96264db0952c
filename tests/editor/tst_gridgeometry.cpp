#include "editor/gridgeometry.h"
#include "editor/guides.h"

#include <QtTest>

Q_DECLARE_METATYPE(TPaintAction)

class TstGridGeometry : public QObject {
    Q_OBJECT
private slots:
    void cellAt_data();
    void cellAt();
    void gridBits_data();
    void gridBits();
    void placement();
    void areaLayout_data();
    void areaLayout();
    void pressRules_data();
    void pressRules();
    void dragRules_data();
    void dragRules();
    void guides_data();
    void guides();
};

void TstGridGeometry::cellAt_data()
{
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QPoint>("cell");
    QTest::newRow("inside") << QPoint(27, 14) << 5 << 3 << true << QPoint(2, 1);
    QTest::newRow("on-line") << QPoint(12, 12) << 5 << 3 << true << QPoint(0, 0);
    QTest::newRow("next-cell-starts-at-13") << QPoint(13, 13) << 5 << 3 << true << QPoint(1, 1);
    QTest::newRow("left-of-grid") << QPoint(-50, 0) << 5 << 3 << true << QPoint(0, 0);
    QTest::newRow("right-of-grid") << QPoint(500, 0) << 5 << 3 << true << QPoint(4, 0);
    QTest::newRow("above-grid") << QPoint(30, -9) << 5 << 3 << true << QPoint(2, 0);
    QTest::newRow("below-grid") << QPoint(30, 39) << 5 << 3 << false << QPoint();
    QTest::newRow("one-column") << QPoint(40, 0) << 1 << 1 << true << QPoint(0, 0);
}

void TstGridGeometry::cellAt()
{
    QFETCH(QPoint, offset);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(bool, found);
    QFETCH(QPoint, cell);
    auto c = GridCellAt(offset.x(), offset.y(), columns, rows);
    QCOMPARE(c.has_value(), found);
    if (found)
        QCOMPARE(*c, (TGridCell{cell.x(), cell.y()}));
}

void TstGridGeometry::gridBits_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("bit");
    QTest::newRow("width-5-col-0") << 5 << 0 << 7;
    QTest::newRow("width-5-col-4") << 5 << 4 << 3;
    QTest::newRow("width-9-col-8") << 9 << 8 << 7;
    QTest::newRow("width-12-col-11") << 12 << 11 << 4;
    QTest::newRow("width-32-col-0") << 32 << 0 << 31;
    QTest::newRow("width-64-col-63") << 64 << 63 << 0;
    QTest::newRow("width-0-one-column") << 0 << 0 << 8;
    QTest::newRow("width-minus-3-one-column") << -3 << 0 << 11;
}

void TstGridGeometry::gridBits()
{
    QFETCH(int, width);
    QFETCH(int, x);
    QFETCH(int, bit);
    TBDFChar ch;
    ch.BBXWidth = width;
    QCOMPARE(GridPixelBit(width, GridColumns(ch), x), bit);
}

void TstGridGeometry::placement()
{
    TBDFChar ch;
    ch.BBXXOff = -1;
    ch.BBXYOff = -2;
    ch.BBXHeight = 4;
    QCOMPARE(PixelGridOffset(10, ch), (TGridOffset{-13, (10 - 4 + 2) * 13}));
    ch.BBXXOff = 2;
    ch.BBXYOff = 1;
    ch.BBXHeight = 7;
    QCOMPARE(PixelGridOffset(10, ch), (TGridOffset{26, 26}));
}

void TstGridGeometry::areaLayout_data()
{
    // A frame of 8 x 10 cells at the default zoom, a glyph grid 8 cells wide.
    QTest::addColumn<int>("gridTop");
    QTest::addColumn<int>("gridRows");
    QTest::addColumn<qint64>("lineAbove");
    QTest::addColumn<qint64>("lineBelow");
    QTest::addColumn<int>("frameY");
    QTest::addColumn<int>("height");
    QTest::newRow("glyph-in-frame") << 104 << 2 << qint64(0) << qint64(0) << 30 << 190;
    QTest::newRow("glyph-above-frame") << -52 << 2 << qint64(0) << qint64(0) << 56 << 216;
    QTest::newRow("descent-below-frame") << 104 << 2 << qint64(0) << qint64(3) << 30 << 229;
    QTest::newRow("ascent-above-frame") << 104 << 2 << qint64(5) << qint64(0) << 69 << 229;
    QTest::newRow("descent-of-two-billion") << 104 << 2 << qint64(0) << qint64(2000000000) << 30 << 13000190;
}

void TstGridGeometry::areaLayout()
{
    QFETCH(int, gridTop);
    QFETCH(int, gridRows);
    QFETCH(qint64, lineAbove);
    QFETCH(qint64, lineBelow);
    QFETCH(int, frameY);
    QFETCH(int, height);
    const TEditorLayout l = LayOutEditor(8, 10, {0, gridTop}, 8, gridRows, 0, 0, GlyphPitch, lineAbove, lineBelow);
    QCOMPARE(l.FrameY, frameY);
    QCOMPARE(l.Height, height);
    QCOMPARE(l.GridY, frameY + gridTop);
}

void TstGridGeometry::pressRules_data()
{
    QTest::addColumn<bool>("left");
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("ctrlOnly");
    QTest::addColumn<bool>("others");
    QTest::addColumn<TPaintAction>("action");
    QTest::newRow("left") << true << false << false << false << TPaintAction::Set;
    QTest::newRow("ctrl-left") << true << false << true << false << TPaintAction::Toggle;
    QTest::newRow("ctrl-left-double") << true << false << true << true << TPaintAction::Set;
    QTest::newRow("right") << false << true << false << false << TPaintAction::Clear;
    QTest::newRow("ctrl-right") << false << true << true << false << TPaintAction::Clear;
    QTest::newRow("middle") << false << false << false << false << TPaintAction::None;
}

void TstGridGeometry::pressRules()
{
    QFETCH(bool, left);
    QFETCH(bool, right);
    QFETCH(bool, ctrlOnly);
    QFETCH(bool, others);
    QFETCH(TPaintAction, action);
    QCOMPARE(PressAction(left, right, ctrlOnly, others), action);
}

void TstGridGeometry::dragRules_data()
{
    QTest::addColumn<bool>("left");
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("other");
    QTest::addColumn<bool>("key");
    QTest::addColumn<TPaintAction>("action");
    QTest::newRow("left") << true << false << false << false << TPaintAction::Set;
    QTest::newRow("right") << false << true << false << false << TPaintAction::Clear;
    QTest::newRow("both") << true << true << false << false << TPaintAction::None;
    QTest::newRow("left-with-key") << true << false << false << true << TPaintAction::None;
    QTest::newRow("left-with-middle") << true << false << true << false << TPaintAction::None;
    QTest::newRow("none") << false << false << false << false << TPaintAction::None;
}

void TstGridGeometry::dragRules()
{
    QFETCH(bool, left);
    QFETCH(bool, right);
    QFETCH(bool, other);
    QFETCH(bool, key);
    QFETCH(TPaintAction, action);
    QCOMPARE(DragAction(left, right, other, key), action);
}

// No property, or no current glyph.
constexpr int None = INT_MIN;

void TstGridGeometry::guides_data()
{
    QTest::addColumn<int>("boxHeight");
    QTest::addColumn<int>("boxYOff");
    QTest::addColumn<int>("ascent");
    QTest::addColumn<int>("descent");
    QTest::addColumn<int>("dwidth");
    QTest::addColumn<int>("cellSize");
    // Where each band starts, in pixels from the frame's top or left edge:
    // baseline, ascent, descent, advance; then the band's thickness.
    QTest::addColumn<QList<int>>("starts");
    QTest::addColumn<int>("thickness");
    QTest::newRow("box-6x13-zoom-12") << 13 << -2 << None << None << 6 << 12 << QList<int>{167, 24, 193, 76} << 3;
    QTest::newRow("properties-over-box") << 13 << -2 << 10 << 3 << 6 << 12 << QList<int>{167, 37, 206, 76} << 3;
    QTest::newRow("only-ascent-known") << 13 << -2 << 12 << None << 6 << 12 << QList<int>{167, 11, 193, 76} << 3;
    QTest::newRow("box-above-baseline") << 8 << 2 << None << None << 5 << 12 << QList<int>{102, -28, 76, 63} << 3;
    QTest::newRow("zoom-4-thin") << 13 << -2 << None << None << 6 << 4 << QList<int>{64, 9, 74, 29} << 1;
    QTest::newRow("zoom-32") << 13 << -2 << None << None << 6 << 32 << QList<int>{427, 64, 493, 196} << 3;
    QTest::newRow("no-glyph-no-advance") << 13 << -2 << None << None << None << 12 << QList<int>{167, 24, 193, None} << 3;
    QTest::newRow("negative-advance") << 13 << -2 << None << None << -3 << 12 << QList<int>{167, 24, 193, -41} << 3;
    QTest::newRow("box-of-two-billion") << 2000000000 << 0 << None << None << 1 << 12
                                        << QList<int>{12999998, -33554432, 12999998, 11} << 3;
}

void TstGridGeometry::guides()
{
    QFETCH(int, boxHeight);
    QFETCH(int, boxYOff);
    QFETCH(int, ascent);
    QFETCH(int, descent);
    QFETCH(int, dwidth);
    QFETCH(int, cellSize);
    QFETCH(QList<int>, starts);
    QFETCH(int, thickness);
    TBDFFont font;
    font.FBBHeight = boxHeight;
    font.FBBYOff = boxYOff;
    TBDFChar glyph;
    glyph.DWidthX = dwidth;
    const auto given = [](int v) { return v == None ? std::nullopt : std::optional<int32_t>(v); };
    const TGuideLines lines = GuideLines(ClampCells(boxHeight), LineMetrics(font, given(ascent), given(descent)),
                                         dwidth == None ? nullptr : &glyph);
    QList<int> got;
    for (int64_t line : {lines.Baseline, lines.Ascent, lines.Descent})
        got << GuideBand(line, cellSize).Start;
    got << (lines.Advance ? GuideBand(*lines.Advance, cellSize).Start : None);
    QCOMPARE(got, starts);
    QCOMPARE(GuideBand(lines.Baseline, cellSize).Thickness, thickness);
}

QTEST_APPLESS_MAIN(TstGridGeometry)
#include "tst_gridgeometry.moc"
