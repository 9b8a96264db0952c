// Finding glyphs on the font page: the Unicode block list and the name field.
#include "app/fontpage.h"

#include <algorithm>

#include "chartablewidget.h"
#include "model/textfuncs.h"
#include "platform/textconv.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace {

// The system's list when unicode-data is installed (it follows the system's
// Unicode version), else the copy built into the program.
std::vector<TUnicodeBlock> LoadUnicodeBlocks()
{
    for (const char *path : {"/usr/share/unicode/Blocks.txt", ":/unicode/Blocks.txt"}) {
        QFile file(QString::fromLatin1(path));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = file.readAll();
        std::vector<TUnicodeBlock> blocks = ParseUnicodeBlocks(std::string_view(text.constData(), size_t(text.size())));
        if (!blocks.empty())
            return blocks;
    }
    return {};
}

std::string BlockRange(const TUnicodeBlock &block)
{
    return FormatHex(static_cast<uint32_t>(block.First), 4) + ".." + FormatHex(static_cast<uint32_t>(block.Last), 4);
}

} // namespace

QWidget *TFontPage::CreateFindPanel()
{
    auto *panel = new QWidget;
    panel->setFixedWidth(ListBox1->width());
    auto *v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(1);
    v->addWidget(new QLabel(QStringLiteral("Блок Unicode"), panel));
    ComboBlocks = new QComboBox(panel);
    ComboBlocks->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBlocks->setMinimumContentsLength(10);
    Blocks = LoadUnicodeBlocks();
    for (const TUnicodeBlock &block : Blocks) {
        ComboBlocks->addItem(QString::fromStdString(block.Name));
        ComboBlocks->setItemData(ComboBlocks->count() - 1, QString::fromStdString(BlockRange(block)), Qt::ToolTipRole);
    }
    ComboBlocks->setCurrentIndex(-1);
    ComboBlocks->setPlaceholderText(QStringLiteral("Выберите блок"));
    // A list of some three hundred blocks scrolls instead of covering the screen.
    ComboBlocks->setStyleSheet(QStringLiteral("combobox-popup: 0;"));
    ComboBlocks->setMaxVisibleItems(24);
    v->addWidget(ComboBlocks);
    v->addWidget(new QLabel(QStringLiteral("Найти по имени"), panel));
    EditFindName = new QLineEdit(panel);
    v->addWidget(EditFindName);
    // Chosen again, a block is gone to again.
    connect(ComboBlocks, &QComboBox::activated, this, &TFontPage::ComboBlocksChange);
    // Enter again finds the next glyph of that name.
    connect(EditFindName, &QLineEdit::returnPressed, this, [this] { FindGlyphName(EditFindName->text()); });
    ComboBlocks->setObjectName(QStringLiteral("ComboBlocks"));
    EditFindName->setObjectName(QStringLiteral("EditFindName"));
    return panel;
}

TGlyphNames TFontPage::GlyphNames()
{
    const TBDFFont *font = CurrentFont();
    if (!font || std::none_of(font->Chars.begin(), font->Chars.end(), [](const TBDFChar &c) { return c.Notes != 0; }))
        return {};
    return [font](size_t glyph) { return GlyphName(*font, font->Chars[glyph]); };
}

void TFontPage::ComboBlocksChange(int row)
{
    const TBDFFont *font = CurrentFont();
    if (!font || row < 0 || row >= static_cast<int>(Blocks.size()))
        return;
    const TUnicodeBlock &block = Blocks[size_t(row)];
    const std::optional<size_t> index = FirstGlyphInBlock(*font, block);
    if (!index) {
        SetStatus("No glyph of this font lies in " + block.Name + " (" + BlockRange(block) + ")", 0x0000FF);
        return;
    }
    ShowGlyphAt(*index);
}

void TFontPage::FindGlyphName(const QString &name)
{
    const TBDFFont *font = CurrentFont();
    if (!font)
        return;
    const TGlyphNames names = GlyphNames();
    if (!names) {
        SetStatus("This font keeps no glyph names", 0x0000FF);
        return;
    }
    const std::string query = TextToBytes(name.trimmed(), std::string());
    const std::optional<size_t> index =
        FindGlyphByName(font->Chars.size(), names, query, static_cast<size_t>(std::max(State.CurrentCharIndex, 0)));
    if (!index) {
        SetStatus("No glyph is named " + query, 0x0000FF);
        return;
    }
    ShowGlyphAt(*index);
}
