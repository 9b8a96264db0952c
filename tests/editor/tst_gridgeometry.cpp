#include "editor/gridgeometry.h"

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
    void pressRules_data();
    void pressRules();
    void dragRules_data();
    void dragRules();
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

QTEST_APPLESS_MAIN(TstGridGeometry)
#include "tst_gridgeometry.moc"
