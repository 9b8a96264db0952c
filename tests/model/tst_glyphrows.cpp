// The glyph row list against std::vector as the reference, across the point
// where rows move from inside the glyph to a block of their own; and the big
// block allocator the glyph list uses.
#include "model/bdfmodel.h"

#include <QtTest>

#include <cstdint>
#include <vector>

namespace {

using Ref = std::vector<uint64_t>;

bool Same(const TGlyphRows &rows, const Ref &ref)
{
    return rows == ref && rows.size() == ref.size() && rows.empty() == ref.empty();
}

// Applies one step, named by a letter and a number, to both lists.
void Step(TGlyphRows &rows, Ref &ref, char op, int n)
{
    const uint64_t v = 0x8000000000000000u | static_cast<uint64_t>(n) * 0x9E3779B97F4A7C15u;
    switch (op) {
    case 'p': // push n rows
        for (int i = 0; i < n; ++i) {
            rows.push_back(v + static_cast<uint64_t>(i));
            ref.push_back(v + static_cast<uint64_t>(i));
        }
        break;
    case 'r': // resize to n, new rows 0
        rows.resize(static_cast<size_t>(n));
        ref.resize(static_cast<size_t>(n));
        break;
    case 'a': // assign n rows of v
        rows.assign(static_cast<size_t>(n), v);
        ref.assign(static_cast<size_t>(n), v);
        break;
    case 'i': { // insert n rows at the middle
        const Ref more(static_cast<size_t>(n), v);
        rows.insert(rows.begin() + static_cast<ptrdiff_t>(rows.size() / 2), more.begin(), more.end());
        ref.insert(ref.begin() + static_cast<ptrdiff_t>(ref.size() / 2), more.begin(), more.end());
        break;
    }
    case 'e': // erase the first row, n times (while any)
        for (int i = 0; i < n && !ref.empty(); ++i) {
            rows.erase(rows.begin());
            ref.erase(ref.begin());
        }
        break;
    case 'c': { // copy out and back
        TGlyphRows copy(rows);
        rows = TGlyphRows{};
        rows = copy;
        break;
    }
    case 'm': { // move out and back
        TGlyphRows moved(std::move(rows));
        QVERIFY(rows.empty());
        rows = std::move(moved);
        QVERIFY(moved.empty());
        break;
    }
    case 's': // self-assignment by copy and by move
        rows = *&rows;
        rows = std::move(*&rows);
        break;
    case 'x': // rotate up, as the glyph command does
        if (!ref.empty()) {
            const uint64_t first = rows.front();
            rows.erase(rows.begin());
            rows.push_back(first);
            std::rotate(ref.begin(), ref.begin() + 1, ref.end());
        }
        break;
    }
}

} // namespace

class TstGlyphRows : public QObject {
    Q_OBJECT
private slots:
    void matchesVector_data();
    void matchesVector();
    void bigBlocksAreAlignedAndReusable();
    void adoptedGlyphsKeepTheirContents();
};

void TstGlyphRows::matchesVector_data()
{
    QTest::addColumn<QString>("steps");
    QTest::newRow("fill-inline") << "p16 c m x";
    QTest::newRow("grow-past-inline") << "p15 p1 p1 c m x e3";
    QTest::newRow("shrink-back-under-inline") << "p40 r3 c m p2 x";
    QTest::newRow("resize-up-zero-fills") << "p2 r17 r1 r33";
    QTest::newRow("assign-over-heap") << "p50 a4 a70 a0 p1";
    QTest::newRow("insert-into-inline-spills") << "p10 i10 x e1 i0";
    QTest::newRow("insert-into-empty-is-exact") << "i20 c p1 i40";
    QTest::newRow("erase-all") << "p20 e25 p1 e1 p17";
    QTest::newRow("self-assignment") << "p5 s p30 s";
    QTest::newRow("seventy-thousand-rows") << "r70000 x i5 e9 c m";
}

void TstGlyphRows::matchesVector()
{
    QFETCH(QString, steps);
    TGlyphRows rows;
    Ref ref;
    for (const QString &step : steps.split(' ')) {
        Step(rows, ref, step[0].toLatin1(), step.mid(1).toInt());
        QVERIFY2(Same(rows, ref), qPrintable("after " + step));
        QVERIFY(rows.capacity() >= rows.size());
        QCOMPARE(std::vector<uint64_t>(rows.begin(), rows.end()), ref);
    }
    // A glyph holding the rows compares by value, whatever holds them.
    TBDFChar a, b;
    a.Bitmap = rows;
    b.Bitmap.assign(ref.begin(), ref.end());
    QVERIFY(a == b);
}

void TstGlyphRows::bigBlocksAreAlignedAndReusable()
{
    for (size_t glyphs : {size_t{1}, BigBlockBytes / sizeof(TBDFChar), size_t{100000}}) {
        TGlyphList list;
        list.resize(glyphs);
        list.back().Bitmap = {1, 2, 3};
        list.front().Encoding = 7;
        if (glyphs * sizeof(TBDFChar) >= BigBlockBytes)
            QCOMPARE(reinterpret_cast<uintptr_t>(list.data()) % (2 << 20), uintptr_t{0});
        TGlyphList copy = list;
        list.push_back(TBDFChar{}); // grows into a new block
        QCOMPARE(list[glyphs - 1].Bitmap, (std::vector<uint64_t>{1, 2, 3}));
        QCOMPARE(copy.front().Encoding, 7);
        QCOMPARE(copy.size(), glyphs);
    }
}

// Glyphs made in a list's spare room (as the reader's threads make them) become
// the list's own, with what was put in them; the list frees their rows (the
// sanitizer build would report a leak), and growing it afterwards keeps them.
void TstGlyphRows::adoptedGlyphsKeepTheirContents()
{
    for (size_t glyphs : {size_t{0}, size_t{3}, size_t{30000}}) {
        TGlyphList list;
        list.push_back(TBDFChar{});
        list.reserve(glyphs + 1);
        TBDFChar *room = list.data() + 1;
        std::uninitialized_value_construct_n(room, glyphs);
        for (size_t i = 0; i < glyphs; ++i) {
            room[i].Encoding = static_cast<int32_t>(i);
            room[i].Bitmap.assign(i % 40, uint64_t(i));
        }
        AdoptConstructed(list, glyphs + 1);
        QCOMPARE(list.size(), glyphs + 1);
        for (size_t i = 0; i < glyphs; ++i) {
            QCOMPARE(list[i + 1].Encoding, static_cast<int32_t>(i));
            QCOMPARE(list[i + 1].Bitmap, std::vector<uint64_t>(i % 40, uint64_t(i)));
        }
        // Ordinary growth still value-initializes.
        list.resize(glyphs + 3);
        QCOMPARE(list.back(), TBDFChar{});
        QVERIFY_THROWS_EXCEPTION(std::logic_error, AdoptConstructed(list, list.capacity() + 1));
    }
}

QTEST_APPLESS_MAIN(TstGlyphRows)
#include "tst_glyphrows.moc"
