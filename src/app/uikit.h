// Small pieces several areas of the window share.
#pragma once

#include "model/bdfmodel.h"

#include <QIcon>
#include <QImage>
#include <QStyle>

class QWidget;

// The width a line edit needs to show sample whole in widget's font.
int FieldWidth(const QWidget &widget, const QString &sample);

class QToolBar;
class QToolButton;
// A vertical tool bar of 24-pixel icons, as the pages' side bars are.
QToolBar *NewSideToolBar(QWidget *parent);
// A flat size x size button with a hint, appended to bar.
QToolButton *AddToolButton(QToolBar *bar, const QIcon &icon, const QString &hint, int size);

// The icon the desktop's icon theme has under this freedesktop name, or the
// style's standard icon when no theme has it.
QIcon ThemeIcon(const char *name, QStyle::StandardPixmap fallback);

// The same icon with a small "#" in its corner: a variant that keeps codes.
QIcon WithCodeBadge(const QIcon &icon);

// Makes the freedesktop names resolve where the desktop names no icon theme
// (a bare X server, a window manager without settings): the installed Tango
// theme serves them, and it is also the fallback for names a theme lacks.
void SetUpIconTheme();

class QListWidget;
// Selects the row above (direction -1) or below (+1) in list, as the menu's move
// commands do (MoveUpIndex, MoveDownIndex); nothing happens at either end.
void StepListSelection(QListWidget &list, int direction);

// The picture of a glyph as the table and the preview draw it: BBXWidth x BBXHeight (width
// capped at the 64 columns a row holds, height at maxHeight), ink where a row
// exists and its pixel bit is set.
QImage GlyphPicture(const TBDFChar &ch, const QColor &ink, int maxHeight);
