#include "chartable/selection.h"

#include <QtTest>

class TstSelection : public QObject {
    Q_OBJECT
private slots:
    void cellAt_data();
    void cellAt();
    void pressAndRelease_data();
    void pressAndRelease();
    void blockVersusSpan();
};

void TstSelection::cellAt_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::newRow("origin") << QPoint(0, 0) << 0 << 0;
    QTest::newRow("last-pixel-of-first-cell-line") << QPoint(15, 18) << 0 << 0;
    QTest::newRow("second-cell") << QPoint(16, 19) << 1 << 1;
    QTest::newRow("above-left") << QPoint(-5, -5) << 0 << 0;
    QTest::newRow("right-of-col-30") << QPoint(31 * 16, 0) << 0 << 31;
    QTest::newRow("far-right") << QPoint(2000, 0) << 0 << 31;
    QTest::newRow("last-row") << QPoint(0, 8 * 19) << 8 << 0;
    QTest::newRow("below") << QPoint(0, 9 * 19) << 9 << 0;
    QTest::newRow("far-below") << QPoint(100, 900) << 9 << 6;
}

void TstSelection::cellAt()
{
    QFETCH(QPoint, pos);
    QFETCH(int, row);
    QFETCH(int, col);
    QCOMPARE(TableCellAt(pos.x(), pos.y()), (TTableCell{row, col}));
}

void TstSelection::pressAndRelease_data()
{
    QTest::addColumn<QPoint>("press");   // (col, row)
    QTest::addColumn<QPoint>("release"); // (col, row)
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::newRow("backwards") << QPoint(5, 1) << QPoint(20, 0) << 20 << 37;
    QTest::newRow("forwards") << QPoint(20, 0) << QPoint(5, 1) << 20 << 37;
    QTest::newRow("same-cell") << QPoint(7, 2) << QPoint(7, 2) << 71 << 71;
    QTest::newRow("below-table") << QPoint(3, 8) << QPoint(6, 9) << 259 << 294;
}

void TstSelection::pressAndRelease()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, release);
    QFETCH(int, first);
    QFETCH(int, last);
    TCharSelection sel;
    SelectionMouseDown(sel, {press.y(), press.x()});
    SelectionMouseUp(sel, {release.y(), release.x()});
    QCOMPARE(SpanFirst(sel), first);
    QCOMPARE(SpanLast(sel), last);
    QVERIFY(InSelectedSpan(sel, first) && InSelectedSpan(sel, last));
    QVERIFY(!InSelectedSpan(sel, first - 1) && !InSelectedSpan(sel, last + 1));
}

void TstSelection::blockVersusSpan()
{
    QCOMPARE(SelectedBlock({0, 3, 1, 5}), (std::vector<int>{3, 4, 5, 35, 36, 37}));
    QVERIFY(SelectedBlock({0, 5, 1, 3}).empty());
    QCOMPARE(SpanLast({0, 5, 1, 3}) - SpanFirst({0, 5, 1, 3}) + 1, 31);
    TCharSelection start;
    QVERIFY(InSelectedSpan(start, 0) && !InSelectedSpan(start, 1));
}

QTEST_APPLESS_MAIN(TstSelection)
#include "tst_selection.moc"
