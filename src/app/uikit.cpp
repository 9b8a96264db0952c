#include "uikit.h"

#include "fontlist.h"

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QListWidget>
#include <QPainter>
#include <QStandardPaths>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include <algorithm>

int FieldWidth(const QWidget &widget, const QString &sample)
{
    // Room for the frame and the text margins of a line edit on either side.
    return QFontMetrics(widget.font()).horizontalAdvance(sample) + 10;
}

QToolBar *NewSideToolBar(QWidget *parent)
{
    auto *bar = new QToolBar(parent);
    bar->setOrientation(Qt::Vertical);
    bar->setIconSize(QSize(24, 24));
    return bar;
}

QToolButton *AddToolButton(QToolBar *bar, const QIcon &icon, const QString &hint, int size)
{
    auto *b = new QToolButton(bar);
    b->setIcon(icon);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFixedSize(size, size);
    bar->addWidget(b);
    return b;
}

QIcon ThemeIcon(const char *name, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(name), QApplication::style()->standardIcon(fallback));
}

QIcon WithCodeBadge(const QIcon &icon)
{
    QIcon badged;
    for (int size : {16, 22, 24, 32}) {
        QPixmap pixmap = icon.pixmap(size, size);
        if (pixmap.isNull())
            continue;
        QPainter p(&pixmap);
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(size * 9 / 16);
        p.setFont(f);
        const QRect corner(size / 2, size / 2, size / 2, size / 2);
        p.fillRect(corner, QColor(255, 255, 255, 200));
        p.setPen(QColor(0, 0, 160));
        p.drawText(corner, Qt::AlignCenter, QStringLiteral("#"));
        p.end();
        badged.addPixmap(pixmap);
    }
    return badged;
}

void SetUpIconTheme()
{
    // Platforms without a desktop theme (offscreen, minimal) search no system
    // folders at all; the XDG data folders are where icon themes are installed.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString &dir :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                   QStandardPaths::LocateDirectory))
        if (!paths.contains(dir))
            paths << dir;
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(QStringLiteral("Tango"));
    const QString theme = QIcon::themeName();
    if (theme.isEmpty() || theme == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Tango"));
}

void StepListSelection(QListWidget &list, int direction)
{
    const int row = direction < 0 ? MoveUpIndex(list.currentRow()) : MoveDownIndex(list.currentRow(), list.count());
    if (row != list.currentRow())
        list.setCurrentRow(row);
}

QImage GlyphPicture(const TBDFChar &ch, const QColor &ink, int maxHeight)
{
    // A row holds at most 64 columns, whatever width a malformed file claims.
    const int w = std::min(ch.BBXWidth, MaxGlyphWidth);
    const int h = std::min(ch.BBXHeight, maxHeight);
    if (w <= 0 || h <= 0)
        return {};
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    const QRgb inkRgb = ink.rgb();
    const int rows = std::min<int>(h, static_cast<int>(ch.Bitmap.size()));
    for (int y = 0; y < rows; ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            if (GetPixel(ch, y, x))
                line[x] = inkRgb;
    }
    return img;
}
