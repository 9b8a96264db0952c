#include "windowmain.h"

#include "dialogs.h"
#include "errorhandler.h"
#include "fmain.h"
#include "prompts.h"

extern "C" __attribute__((visibility("default"))) int BitloomWindowMain(int argc, char **argv)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Bitloom"));
    QCoreApplication::setApplicationName(QStringLiteral("Bitloom"));
    TApplication app(argc, argv);
    TFormMain main;
    for (int i = 1; i < argc; ++i)
        main.Arguments.emplace_back(argv[i]);
    TDialogs dialogs = CreateDialogs(&main);
    main.Dialogs = &dialogs;
    SetPromptDialogs(dialogs.FormAdd, dialogs.FormAddFont);
    main.show();
    return app.exec();
}
