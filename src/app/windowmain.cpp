#include "windowmain.h"

#include <QCoreApplication>
#include <QIcon>
#include <QFile>

#include <iostream>

#include "dialogs.h"
#include "errorhandler.h"
#include "fmain.h"
#include "compiler/compilecli.h"
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

extern "C" __attribute__((visibility("default"))) int BitloomCompileMain(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::string command = argv[1], project = argv[2], target = argv[3];
    if (command == "--source")
        return RunSourceCommand(project, target, std::cout, std::cerr);
    // The compiler is looked for in the program's own folder.
    const std::string folder = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    return RunCompileCommand(project, target, folder, std::cout, std::cerr);
}
