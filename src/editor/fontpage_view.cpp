// The font page's view: the guides over the glyph editor and the text preview under it.
#include "app/fontpage.h"

#include <charconv>

#include "glyphgrids.h"
#include "guideoverlay.h"
#include "guides.h"
#include "previewstrip.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// A small square of a guide's colour for its menu item.
QIcon Swatch(const QColor &colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.fillRect(1, 6, 14, 4, QColor(colour.red(), colour.green(), colour.blue()));
    return QIcon(pixmap);
}

const char *const GuidesKey = "Editor/guides";
const char *const SampleTextKey = "Editor/sampleText";
const char *const SampleScaleKey = "Editor/sampleScale";

} // namespace

namespace {

// An integer property of the font, when it has one that reads as a number.
std::optional<int32_t> IntegerProperty(const TBDFFont &font, std::string_view name)
{
    for (const TBDFProperty &p : font.Properties)
        if (p.Name == name && !p.Quoted) {
            int32_t value = 0;
            const char *end = p.Value.data() + p.Value.size();
            if (std::from_chars(p.Value.data(), end, value).ptr == end && !p.Value.empty())
                return value;
        }
    return std::nullopt;
}

} // namespace

TLineMetrics TFontPage::FontLine(const TBDFFont &font)
{
    // The font's own FONT_ASCENT and FONT_DESCENT; the box stands for either it lacks.
    return LineMetrics(font, IntegerProperty(font, "FONT_ASCENT"), IntegerProperty(font, "FONT_DESCENT"));
}

void TFontPage::CreateViewActions()
{
    const auto guide = [this](const QString &text, TGuide which) {
        auto *a = new QAction(Swatch(TGuideOverlay::colour(which)), text, this);
        a->setCheckable(true);
        a->setData(static_cast<unsigned>(which));
        connect(a, &QAction::toggled, this, [this] {
            unsigned shown = 0;
            for (QAction *g : ViewActions())
                shown |= g->isChecked() ? g->data().toUInt() : 0u;
            GuideOverlay->setShown(shown);
            RefreshGuides();
        });
        return a;
    };
    GuideBaseline1 = guide(QStringLiteral("Базовая линия"), BaselineGuide);
    GuideAscent1 = guide(QStringLiteral("Линия подъёма (FONT_ASCENT)"), AscentGuide);
    GuideDescent1 = guide(QStringLiteral("Линия спуска (FONT_DESCENT)"), DescentGuide);
    GuideAdvance1 = guide(QStringLiteral("Ширина шага (DWIDTH)"), AdvanceGuide);
    const std::pair<QObject *, const char *> named[] = {{GuideOverlay, "GuideOverlay"},
                                                        {GuideBaseline1, "GuideBaseline1"},
                                                        {GuideAscent1, "GuideAscent1"},
                                                        {GuideDescent1, "GuideDescent1"},
                                                        {GuideAdvance1, "GuideAdvance1"}};
    for (const auto &[object, name] : named)
        object->setObjectName(QString::fromLatin1(name));
    // Every guide shows until the user turns it off.
    for (QAction *g : ViewActions())
        g->setChecked(true);

    // The views follow every edit, undo and redo of the fonts and the change of font.
    connect(&Fonts, &TOpenFonts::edited, this, &TFontPage::FontContentChanged);
    connect(&Fonts, &TOpenFonts::historyStepped, this, &TFontPage::FontContentChanged);
    connect(&Fonts, &TOpenFonts::currentChanged, this, &TFontPage::FontContentChanged);
    connect(&Fonts, &TOpenFonts::fontsChanged, this, &TFontPage::FontContentChanged);
}

QList<QAction *> TFontPage::ViewActions() const
{
    return {GuideBaseline1, GuideAscent1, GuideDescent1, GuideAdvance1};
}

void TFontPage::RestoreView(const QSettings &settings)
{
    const unsigned shown = settings.value(QString::fromLatin1(GuidesKey), AllGuides).toUInt();
    for (QAction *g : ViewActions())
        g->setChecked(shown & g->data().toUInt());
    SpinSampleScale->setValue(settings.value(QString::fromLatin1(SampleScaleKey), 2).toInt());
    EditSample->setText(settings.value(QString::fromLatin1(SampleTextKey), EditSample->text()).toString());
}

void TFontPage::SaveView(QSettings &settings) const
{
    settings.setValue(QString::fromLatin1(GuidesKey), GuideOverlay->shown());
    settings.setValue(QString::fromLatin1(SampleScaleKey), SpinSampleScale->value());
    settings.setValue(QString::fromLatin1(SampleTextKey), EditSample->text());
}

void TFontPage::RefreshGuides()
{
    if (!GuideOverlay->shown())
        return;
    const TBDFFont *font = CurrentFont();
    GuideOverlay->setLines(font ? std::optional(GuideLines(RxDrawGrid->rows(), FontLine(*font), CurrentChar()))
                                : std::nullopt);
}

void TFontPage::FontContentChanged()
{
    RefreshGuides();
    SampleView->scheduleRefresh();
}

QWidget *TFontPage::CreateSampleStrip()
{
    auto *strip = new QWidget;
    auto *v = new QVBoxLayout(strip);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto *controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Образец текста"), strip));
    EditSample = new QLineEdit(QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789"), strip);
    controls->addWidget(EditSample, 1);
    SpinSampleScale = new QSpinBox(strip);
    SpinSampleScale->setRange(MinPreviewScale, MaxPreviewScale);
    SpinSampleScale->setSuffix(QStringLiteral("×"));
    SpinSampleScale->setValue(2);
    SpinSampleScale->setToolTip(QStringLiteral("Масштаб образца"));
    controls->addWidget(SpinSampleScale);
    v->addLayout(controls);

    auto *scroll = new QScrollArea(strip);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setBackgroundRole(QPalette::Base);
    SampleView = new TTextPreview;
    SampleView->setScale(SpinSampleScale->value());
    SampleView->setText(EditSample->text());
    SampleView->Render = [this](std::u32string_view text) {
        const TBDFFont *font = CurrentFont();
        // A missing character shows as the font's DEFAULT_CHAR, else as a box.
        return font ? RenderPreview(*font, text, FontLine(*font), IntegerProperty(*font, "DEFAULT_CHAR"))
                    : TPreviewRaster{};
    };
    // The strip is as tall as the magnified line, within reason.
    SampleView->Resized = [scroll, this] {
        const int bar = scroll->horizontalScrollBar()->sizeHint().height();
        scroll->setFixedHeight(std::clamp(SampleView->height() + bar, 24, 200));
    };
    scroll->setWidget(SampleView);
    SampleView->Resized();
    v->addWidget(scroll);
    connect(EditSample, &QLineEdit::textChanged, SampleView, &TTextPreview::setText);
    connect(SpinSampleScale, &QSpinBox::valueChanged, SampleView, &TTextPreview::setScale);

    const std::pair<QObject *, const char *> named[] = {{strip, "PanelSample"}, {EditSample, "EditSample"},
                                                        {SpinSampleScale, "SpinSampleScale"},
                                                        {scroll, "SampleScroll"}, {SampleView, "SampleView"}};
    for (const auto &[object, name] : named)
        object->setObjectName(QString::fromLatin1(name));
    return strip;
}
