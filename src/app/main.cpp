#include "app/convert.h"
#include "app/dialogs.h"
#include "app/errorhandler.h"
#include "app/fmain.h"

#include <cstring>
#include <iostream>

namespace {

void PrintUsage(std::ostream &out)
{
    out << "Usage: bitloom [PROJECT.bitloom]\n"
           "       bitloom --convert IN.bdf OUT.bdf\n"
           "       bitloom --version\n";
}

} // namespace

int main(int argc, char **argv)
{
    // The converter runs before any window machinery exists, so scripts pay nothing for it.
    if (argc >= 2 && std::strcmp(argv[1], "--convert") == 0) {
        if (argc != 4) {
            PrintUsage(std::cerr);
            return 2;
        }
        return RunConvert(argv[2], argv[3], std::cout, std::cerr);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(std::cout);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "Bitloom " << BITLOOM_VERSION << '\n';
        return 0;
    }

    QCoreApplication::setOrganizationName(QStringLiteral("Bitloom"));
    QCoreApplication::setApplicationName(QStringLiteral("Bitloom"));
    TApplication app(argc, argv);
    TFormMain main;
    for (int i = 1; i < argc; ++i)
        main.Arguments.emplace_back(argv[i]);
    TDialogs dialogs = CreateDialogs(&main);
    main.Dialogs = &dialogs;
    main.show();
    return app.exec();
}
