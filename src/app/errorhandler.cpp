#include "errorhandler.h"

#include "model/fileerror.h"
#include "prompts.h"
#include "uikit.h"

#include <exception>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    SetUpIconTheme();
}

QString CurrentErrorText()
{
    try {
        throw;
    } catch (const TFileError &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Out of memory: the operation was not completed.");
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error.");
    }
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        Prompts().showError(CurrentErrorText());
        return true;
    }
}
