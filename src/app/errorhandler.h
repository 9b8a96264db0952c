// The application-wide handler: an error thrown from any event handler is shown
// (path and reason for file errors) and the event loop goes on.
#pragma once

#include <QApplication>

class TApplication : public QApplication {
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};

// The message shown for the exception being handled; call inside a catch block.
QString CurrentErrorText();
