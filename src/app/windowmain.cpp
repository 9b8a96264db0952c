#include "windowmain.h"

#include <QCoreApplication>
#include <QIcon>
#include <QFile>

#include <csignal>
#include <iostream>

#include "dialogs.h"
#include "errorhandler.h"
#include "fmain.h"
#include "compiler/compilecli.h"
#include "platform/folders.h"
#include "prompts.h"

extern "C" __attribute__((visibility("default"))) int BitloomWindowMain(int argc, char **argv)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Bitloom"));
    QCoreApplication::setApplicationName(QStringLiteral("Bitloom"));
    TApplication app(argc, argv);
    // Docks and task bars match the window to the installed desktop entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("bitloom"));
    QIcon own;
    for (int size : {16, 32, 48, 64, 128, 256})
        own.addFile(QStringLiteral(":/icons/bitloom-%1.png").arg(size));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("bitloom"), own));
    TFormMain main;
    for (int i = 1; i < argc; ++i)
        main.Arguments.emplace_back(argv[i]);
    TDialogs dialogs = CreateDialogs(&main);
    main.Dialogs = &dialogs;
    SetPromptDialogs(&dialogs);
    main.show();
    return app.exec();
}

namespace {

volatile std::sig_atomic_t Interrupted = 0;
volatile std::sig_atomic_t CompilerRunning = 0;

// While the compiler runs, an interrupt ends the run; before, it ends the program as usual.
void Interrupt(int signal)
{
    if (CompilerRunning) {
        Interrupted = 1;
        return;
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

extern "C" __attribute__((visibility("default"))) int BitloomCompileMain(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<TCompileArguments> args = ParseCompileArguments(argc, argv);
    if (!args)
        return 2;
    // The compiler runs in a process group of its own, which a terminal's Ctrl+C
    // does not reach: the interrupt ends the run, and the run ends the group.
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, Interrupt);
    return RunCompileCommand(*args, ExecutableFolder(), std::cout, std::cerr, [] {
        CompilerRunning = 1;
        return Interrupted == 0;
    });
}
