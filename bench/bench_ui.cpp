// Offscreen timings of the real window handlers on a big font: selecting the
// font, clicking table cells, pressing and dragging on the pixel grid, each
// including the repaint it causes. Usage: bench_ui FONT.bdf (a big real font, or
// a malformed one with absurd boxes: every action must still fit in a frame).
#include "app/errorhandler.h"
#include "app/fmain.h"
#include "app/fontpage.h"
#include "app/prompts.h"
#include "bdf/bdfreader.h"
#include "chartable/chartablewidget.h"
#include "editor/glyphgrids.h"
#include "editor/previewstrip.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QWindow>
#include <QListWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QSpinBox>
#include <QMouseEvent>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void Send(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton b, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), b, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Report(const char *what, int runs, const std::function<void(int)> &step)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        step(i);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s median %7.3f ms  max %7.3f ms  (%d runs)\n", what, ms[ms.size() / 2], ms.back(), runs);
}

// Warnings (a cut glyph, a truncated file) are counted, not shown: nobody is there to close a box.
class TSilentPrompts : public TPrompts {
public:
    int Warnings = 0;
    bool askYesNo(const QString &, TAskIcon, TAskDefault) override { return false; }
    QStringList openFileNames(const TFileDialogSetup &) override { return {}; }
    QString saveFileName(const TFileDialogSetup &, const QString &) override { return {}; }
    QString chooseFolder(const QString &, const QString &) override { return {}; }
    void showError(const QString &text) override { std::fprintf(stderr, "error: %s\n", qPrintable(text)); }
    void showWarning(const QString &) override { ++Warnings; }
    std::optional<QString> askText(const QString &) override { return std::nullopt; }
    std::optional<QString> pickItem(const QStringList &) override { return std::nullopt; }
    bool askTrueTypeOptions(TTrueTypeOptions &) override { return false; }
    bool askCaptureGrid(const QImage &, TCaptureOptions &) override { return false; }
    std::optional<std::vector<TBDFProperty>> askProperties(const std::vector<TBDFProperty> &) override
    {
        return std::nullopt;
    }
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_ui FONT.bdf\n");
        return 2;
    }
    TSilentPrompts prompts;
    SetPrompts(&prompts);
    TFormMain form;
    form.show();
    TFontPage &page = *form.FontPage;
    // The page keeps its controls; they are found by their layout names.
    auto *table = page.findChild<TCharTable *>(QStringLiteral("RxDrawGrid2"));
    auto *pixels = page.findChild<TPixelGrid *>(QStringLiteral("RxDrawGrid1"));
    // Repaints only reach the backing store once the window is exposed.
    for (int i = 0; i < 200 && !(form.windowHandle() && form.windowHandle()->isExposed()); ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    // The read alone, for what the window adds to it (the file is in the page cache for both).
    Report("read font alone (OpenBDF)", 7, [&](int) {
        TBDFFont font;
        OpenBDF(argv[1], font);
    });
    QElapsedTimer open;
    open.start();
    page.OpenFonts({QString::fromLocal8Bit(argv[1])});
    form.repaint();
    std::printf("%-40s %7.1f ms (%zu glyphs)\n", "open font (read + first paint)", open.nsecsElapsed() / 1e6,
                form.Fonts[0].Font.Chars.size());

    Report("repaint whole table", 100, [&](int) { table->repaint(); });
    Report("add glyph (+ table repaint)", 20, [&](int) {
        page.ToolButton16Click();
        table->repaint();
    });
    Report("scroll table by a page (+ repaint)", 100, [&](int i) {
        QKeyEvent key(QEvent::KeyPress, i % 2 ? Qt::Key_PageUp : Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(table, &key);
        table->repaint();
        pixels->repaint();
    });
    Report("go to code 4E00 and back (each)", 50, [&](int i) {
        page.GoToCode(i % 2 ? QStringLiteral("0041") : QStringLiteral("4E00"));
        table->repaint();
        pixels->repaint();
    });
    Report("zoom in or out (+ repaint)", 56, [&](int i) {
        page.SetZoom(i % 28 < 14 ? 4 + 2 * (i % 14) : 32 - 2 * (i % 14));
        form.repaint();
    });
    // The guides (all four show by default) and the text preview under the editor.
    auto *editorView = page.findChild<TEditorScrollArea *>(QStringLiteral("EditorScroll"))->viewport();
    const QList<QAction *> guides = page.ViewActions();
    Report("toggle a guide (+ repaint)", 200, [&](int i) {
        guides[i % guides.size()]->toggle();
        editorView->repaint();
    });
    auto *sample = page.findChild<TTextPreview *>(QStringLiteral("SampleView"));
    auto *sampleEdit = page.findChild<QLineEdit *>(QStringLiteral("EditSample"));
    auto *sampleScale = page.findChild<QSpinBox *>(QStringLiteral("SpinSampleScale"));
    QString eighty = QStringLiteral("The quick brown fox jumps over the lazy ");
    for (int i = 0; i < 40; ++i)
        eighty += QChar(0x4E00 + 97 * i);
    sampleEdit->setText(eighty);
    sampleScale->setValue(4);
    Report("preview of 80 characters at 4x (+ repaint)", 100, [&](int) {
        sample->refresh();
        sample->repaint();
    });
    QPixmap whole(sample->size());
    Report("... the whole strip drawn, not just the view", 20, [&](int) {
        sample->refresh();
        sample->render(&whole);
    });
    for (QAction *g : guides)
        g->setChecked(false);
    page.SetZoom(32);
    form.repaint();
    Report("press at zoom 32, guides off (+ repaint)", 200, [&](int i) {
        const QPoint p((i % 8) * 33 + 16, (i % 8) * 33 + 16);
        Send(pixels, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        pixels->repaint();
        Send(pixels, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    });
    for (QAction *g : guides)
        g->setChecked(true);
    form.repaint();
    Report("press on pixel grid at zoom 32 (+ repaint)", 200, [&](int i) {
        const QPoint p((i % 8) * 33 + 16, (i % 8) * 33 + 16);
        Send(pixels, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        pixels->repaint();
        Send(pixels, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    });
    page.SetZoom(12);
    Report("select font (ListBox1Click + repaint)", 50, [&](int) {
        page.ListBox1Click();
        table->repaint();
        pixels->repaint();
    });
    Report("click table cell (+ repaint)", 200, [&](int i) {
        const QPoint p((i % 32) * 16 + 7, ((i / 32) % 9) * 19 + 9);
        Send(table, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        Send(table, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
        table->repaint();
        pixels->repaint();
    });
    Report("press on pixel grid (+ repaint)", 200, [&](int i) {
        const QPoint p((i % 8) * 13 + 6, (i % 16) * 13 + 6);
        Send(pixels, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        pixels->repaint();
        Send(pixels, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    });
    Send(pixels, QEvent::MouseButtonPress, QPoint(6, 6), Qt::LeftButton, Qt::LeftButton);
    Report("drag on pixel grid (+ repaint)", 500, [&](int i) {
        const QPoint p((i % 8) * 13 + 6, ((i / 8) % 16) * 13 + 6);
        Send(pixels, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton);
        QApplication::processEvents();
    });
    Send(pixels, QEvent::MouseButtonRelease, QPoint(6, 6), Qt::LeftButton, Qt::NoButton);

    // The history, on the font's first glyphs.
    TFontStack *history = form.Fonts.historyOf(0);
    const auto key = [&](int k, Qt::KeyboardModifiers mods) {
        QKeyEvent e(QEvent::KeyPress, k, mods);
        QApplication::sendEvent(table, &e);
    };
    key(Qt::Key_Home, Qt::ControlModifier);
    history->clear();
    const auto stroke = [&](int i) {
        const int y = (i % 16) * 13 + 6;
        Send(pixels, QEvent::MouseButtonPress, QPoint(6, y), Qt::LeftButton, Qt::LeftButton);
        for (int x = 1; x < 8; ++x)
            Send(pixels, QEvent::MouseMove, QPoint(x * 13 + 6, y), Qt::NoButton, Qt::LeftButton);
        Send(pixels, QEvent::MouseButtonRelease, QPoint(7 * 13 + 6, y), Qt::LeftButton, Qt::NoButton);
        pixels->repaint();
    };
    Report("paint stroke of 8 pixels (+ repaint)", 100, stroke);
    Report("undo a paint stroke (+ repaint)", 100, [&](int) {
        history->undo();
        pixels->repaint();
    });
    Report("redo a paint stroke (+ repaint)", 100, [&](int) {
        history->redo();
        pixels->repaint();
    });
    history->clear();
    for (int i = 0; i < HistoryLimit; ++i)
        stroke(i);
    std::printf("%-40s %7.1f KiB (%d steps)\n", "history after 500 strokes", history->keptBytes() / 1024.0,
                history->count());
    // A block of 32 x 32 glyphs.
    key(Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 31; ++i) {
        key(Qt::Key_Right, Qt::ShiftModifier);
        key(Qt::Key_Down, Qt::ShiftModifier);
    }
    Report("widen a 1,024-glyph block (+ repaint)", 20, [&](int) {
        page.SpeedButton11Click();
        table->repaint();
    });
    Report("undo widening the block (+ repaint)", 20, [&](int) {
        history->undo();
        table->repaint();
    });
    // The transforms on the same block, each undone untimed.
    const std::pair<const char *, std::function<void()>> transforms[] = {
        {"shift a 1,024-glyph block (+ repaint)", [&] { page.ShiftGlyphs(TShift::Right, false); }},
        {"shift around a 1,024-glyph block", [&] { page.ShiftGlyphs(TShift::Down, true); }},
        {"flip a 1,024-glyph block (+ repaint)", [&] { page.FlipGlyphs(true); }},
        {"invert a 1,024-glyph block (+ repaint)", [&] { page.InvertGlyphs(); }},
        {"clear a 1,024-glyph block (+ repaint)", [&] { page.ClearGlyphs(); }},
    };
    for (const auto &[what, transform] : transforms) {
        std::vector<double> ms;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer t;
            t.start();
            transform();
            table->repaint();
            ms.push_back(t.nsecsElapsed() / 1e6);
            history->undo();
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%-40s median %7.3f ms  max %7.3f ms  (20 runs)\n", what, ms[10], ms.back());
    }
    QImage square(64 * 12, 64 * 12, QImage::Format_RGB32);
    square.fill(Qt::white);
    for (int y = 0; y < square.height(); ++y)
        for (int x = 0; x < square.width(); ++x)
            if ((x / 12 + y / 12) % 3 == 0)
                square.setPixel(x, y, qRgb(0, 0, 0));
    QGuiApplication::clipboard()->setImage(square);
    Report("paste a 64 x 64 picture (+ repaint)", 50, [&](int) {
        page.PastePicture();
        pixels->repaint();
    });

    // Every glyph selected, deleted and brought back.
    key(Qt::Key_Home, Qt::ControlModifier);
    key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    const size_t glyphs = form.Fonts[0].Font.Chars.size();
    std::vector<double> deletes, undos;
    for (int i = 0; i < 5; ++i) {
        key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
        QElapsedTimer t;
        t.start();
        page.ToolButton18Click();
        table->repaint();
        deletes.push_back(t.nsecsElapsed() / 1e6);
        if (i == 0)
            std::printf("%-40s %7.1f MiB for %zu glyphs\n", "the delete's step keeps",
                        static_cast<const TFontEdit *>(history->command(history->index() - 1))->keptBytes() / 1048576.0, glyphs);
        t.restart();
        history->undo();
        table->repaint();
        undos.push_back(t.nsecsElapsed() / 1e6);
    }
    for (auto [what, ms] : {std::pair{"delete every glyph (+ repaint)", &deletes},
                            std::pair{"undo deleting every glyph (+ repaint)", &undos}}) {
        std::sort(ms->begin(), ms->end());
        std::printf("%-40s median %7.3f ms  max %7.3f ms  (5 runs)\n", what, (*ms)[2], ms->back());
    }
    return 0;
}
