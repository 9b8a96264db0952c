#include "dialogs.h"

#include "import/fcapture.h"
#include "import/fttf.h"
#include "chartable/fontproperties.h"
#include "platform/textconv.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

namespace {

void CentreOnScreen(QWidget *w)
{
    if (QScreen *screen = QApplication::primaryScreen())
        w->move(screen->availableGeometry().center() - w->rect().center());
}

} // namespace

TFormAdd::TFormAdd(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("Редактировать текст"));
    Edit1 = new QLineEdit(this);
    Button1 = new QPushButton(QStringLiteral("да"), this);
    Button1->setDefault(true);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 4, 4, 4);
    row->addWidget(Edit1, 1);
    row->addWidget(Button1);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    // Enter in the field accepts through the default button; Escape rejects (QDialog).
    connect(Edit1, &QLineEdit::returnPressed, this, &QDialog::accept);
    resize(197, 39);
    CentreOnScreen(this);
}

bool TFormAdd::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Edit1->setFocus();
    return QDialog::event(event);
}

TFormAddFont::TFormAddFont(QWidget *parent) : QDialog(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("Добавить шрифт"));
    ListBox1 = new QListWidget(this);
    Button1 = new QPushButton(QStringLiteral("да"), this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(ListBox1, 1);
    auto *strip = new QHBoxLayout;
    strip->addStretch();
    strip->addWidget(Button1);
    strip->addStretch();
    layout->addLayout(strip);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    resize(145, 256);
    CentreOnScreen(this);
}

namespace {
enum TPropertyColumn { NameColumn, ValueColumn, StringColumn };
// Each name and value cell keeps the bytes it was filled from, so unchanged text writes them back.
constexpr int BytesRole = Qt::UserRole;

std::string CellBytes(const QTableWidgetItem *item)
{
    if (!item)
        return {};
    const QByteArray original = item->data(BytesRole).toByteArray();
    return TextToBytes(item->text(), original.toStdString());
}
} // namespace

TFormProperties::TFormProperties(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Свойства шрифта"));
    Table = new QTableWidget(0, 3, this);
    Table->setHorizontalHeaderLabels({QStringLiteral("Имя"), QStringLiteral("Значение"), QStringLiteral("Строка")});
    Table->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::ResizeToContents);
    Table->horizontalHeader()->setSectionResizeMode(ValueColumn, QHeaderView::Stretch);
    Table->horizontalHeader()->setSectionResizeMode(StringColumn, QHeaderView::ResizeToContents);
    Table->verticalHeader()->hide();
    Table->verticalHeader()->setDefaultSectionSize(Table->fontMetrics().height() + 6);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    auto *rule = new QLabel(QStringLiteral("Имя — одно слово без пробелов и кавычек. Строка пишется в кавычках; "
                                           "значение без отметки «Строка» — целое число: только цифры, "
                                           "для отрицательного «-» впереди."),
                            this);
    rule->setWordWrap(true);
    Problem = new QLabel(this);
    Problem->setWordWrap(true);
    QPalette red = Problem->palette();
    red.setColor(QPalette::WindowText, QColor(192, 0, 0));
    Problem->setPalette(red);
    ButtonAdd = new QPushButton(QStringLiteral("Добавить"), this);
    ButtonDelete = new QPushButton(QStringLiteral("Удалить"), this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonOk = buttons->button(QDialogButtonBox::Ok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Table, 1);
    auto *strip = new QHBoxLayout;
    strip->addWidget(ButtonAdd);
    strip->addWidget(ButtonDelete);
    strip->addStretch();
    layout->addLayout(strip);
    layout->addWidget(rule);
    layout->addWidget(Problem);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ButtonAdd, &QPushButton::clicked, this, [this] {
        AddRow({"NEW_PROPERTY", "", true});
        Table->setCurrentCell(Table->rowCount() - 1, NameColumn);
        Table->editItem(Table->item(Table->rowCount() - 1, NameColumn));
    });
    connect(ButtonDelete, &QPushButton::clicked, this, [this] {
        if (Table->currentRow() >= 0)
            Table->removeRow(Table->currentRow());
        Check();
    });
    connect(Table, &QTableWidget::itemChanged, this, &TFormProperties::Check);
    resize(560, 560);
    CentreOnScreen(this);
}

void TFormProperties::AddRow(const TBDFProperty &row)
{
    QSignalBlocker block(Table);
    const int r = Table->rowCount();
    Table->insertRow(r);
    auto *name = new QTableWidgetItem(BytesToText(row.Name));
    name->setData(BytesRole, QByteArray::fromStdString(row.Name));
    auto *value = new QTableWidgetItem(BytesToText(row.Value));
    value->setData(BytesRole, QByteArray::fromStdString(row.Value));
    auto *quoted = new QTableWidgetItem;
    quoted->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    quoted->setCheckState(row.Quoted ? Qt::Checked : Qt::Unchecked);
    Table->setItem(r, NameColumn, name);
    Table->setItem(r, ValueColumn, value);
    Table->setItem(r, StringColumn, quoted);
    block.unblock();
    Check();
}

void TFormProperties::setRows(const std::vector<TBDFProperty> &rows)
{
    Table->setRowCount(0);
    for (const TBDFProperty &row : rows)
        AddRow(row);
    Check();
}

std::vector<TBDFProperty> TFormProperties::rows() const
{
    std::vector<TBDFProperty> rows;
    for (int r = 0; r < Table->rowCount(); ++r) {
        const QTableWidgetItem *quoted = Table->item(r, StringColumn);
        rows.push_back({CellBytes(Table->item(r, NameColumn)), CellBytes(Table->item(r, ValueColumn)),
                        quoted && quoted->checkState() == Qt::Checked});
    }
    return rows;
}

void TFormProperties::Check()
{
    const std::string problem = PropertiesProblem(rows());
    Problem->setText(BytesToText(problem));
    ButtonOk->setEnabled(problem.empty());
}

QString VersionLine(const QString &executablePath)
{
    const QDate date = QFileInfo(executablePath).lastModified().date();
    return QStringLiteral("Версия: 1.03") + " (" + QLocale::system().toString(date, QLocale::ShortFormat) + ")";
}

QString TAboutBox::WebAddress()
{
    return QStringLiteral("https://en.wikipedia.org/wiki/Glyph_Bitmap_Distribution_Format");
}

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("о проге"));
    auto *panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    auto *icon = new QLabel(panel);
    icon->setPixmap(QApplication::windowIcon().isNull()
                        ? style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(32, 32)
                        : QApplication::windowIcon().pixmap(32, 32));
    auto *product = new QLabel(QStringLiteral("Редактор шрифтов"), panel);
    Version = new QLabel(VersionLine(QCoreApplication::applicationFilePath()), panel);
    auto *credit = new QLabel(QStringLiteral("Bitloom: BDF и GDR"), panel);
    auto *visit = new QLabel(QStringLiteral("Посетите: "), panel);
    Link = new QLabel(QStringLiteral("BDF"), panel);
    QPalette navy = Link->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    Link->setPalette(navy);
    Link->setCursor(Qt::PointingHandCursor);
    Link->setMouseTracking(true);
    panel->setMouseTracking(true);
    Link->installEventFilter(this);
    panel->installEventFilter(this);

    auto *grid = new QVBoxLayout(panel);
    auto *top = new QHBoxLayout;
    top->addWidget(icon);
    auto *texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(Version);
    top->addLayout(texts, 1);
    grid->addLayout(top);
    grid->addWidget(credit);
    auto *linkRow = new QHBoxLayout;
    linkRow->addWidget(visit);
    linkRow->addWidget(Link);
    linkRow->addStretch();
    grid->addLayout(linkRow);

    auto *ok = new QPushButton(QStringLiteral("да"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panel, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addStretch();
    layout->addLayout(buttons);
    setFixedSize(246, 153);
    CentreOnScreen(this);
}

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    auto underline = [this](bool on) {
        QFont f = Link->font();
        if (f.underline() != on) {
            f.setUnderline(on);
            Link->setFont(f);
        }
    };
    if (watched == Link) {
        // Consumed here: a move the label ignored would reach the panel and undo the underline.
        if (event->type() == QEvent::MouseMove) {
            underline(true);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            QDesktopServices::openUrl(QUrl(WebAddress()));
            return true;
        }
    } else if (event->type() == QEvent::MouseMove) {
        underline(false);
    }
    return QDialog::eventFilter(watched, event);
}

TDialogs CreateDialogs(QWidget *owner)
{
    TDialogs d;
    d.FormAdd = new TFormAdd(owner);
    d.FormTTF = new TFormTTF(owner);
    d.FormCapture = new TFormCapture(owner);
    d.AboutBox = new TAboutBox(owner);
    d.FormAddFont = new TFormAddFont(owner);
    return d;
}
