#include "busybox.h"

#include <QApplication>
#include <QProgressDialog>

TBusyBox::TBusyBox(QWidget *parent, const QString &text, qint64 limitMs)
    : Box(std::make_unique<QProgressDialog>(text, QStringLiteral("Cancel"), 0, 0, parent)), LimitMs(limitMs)
{
    Box->setWindowModality(Qt::WindowModal);
    Box->setMinimumDuration(0);
    Box->setAutoClose(false);
    Box->setAutoReset(false);
    Box->hide();
    Running.start();
}

TBusyBox::~TBusyBox()
{
    const bool shown = Box->isVisible();
    Box->close();
    // Without a window manager nobody hands the focus back, and the shortcuts would stop.
    if (shown && Box->parentWidget())
        Box->parentWidget()->activateWindow();
}

bool TBusyBox::keepWaiting()
{
    if (!Box->isVisible() && Running.elapsed() > 300)
        Box->open();
    QApplication::processEvents(Box->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    if (LimitMs > 0 && Running.elapsed() > LimitMs) {
        TimedOut = true;
        return false;
    }
    return !Box->wasCanceled();
}
