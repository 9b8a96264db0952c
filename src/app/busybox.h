// A box that shows the window is busy with a child process, with Cancel.
#pragma once

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// While a child runs, keepWaiting() keeps the window painted. After a short
// while (so a quick run does not flash a box) a window-modal box with Cancel
// appears; until then user input waits, so no other command runs meanwhile.
class TBusyBox {
public:
    // limitMs > 0 ends the wait after that long, as a cancel does.
    TBusyBox(QWidget *parent, const QString &text, qint64 limitMs = 0);
    ~TBusyBox();
    TBusyBox(const TBusyBox &) = delete;
    TBusyBox &operator=(const TBusyBox &) = delete;

    // For RunAndCapture: false once the user cancelled or the limit passed.
    bool keepWaiting();
    bool timedOut() const { return TimedOut; }

private:
    std::unique_ptr<QProgressDialog> Box;
    QElapsedTimer Running;
    qint64 LimitMs;
    bool TimedOut = false;
};
