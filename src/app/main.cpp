#include "app/convert.h"
#include "bdf/paths.h"
#include "app/windowmain.h"
#include "compiler/compilecli.h"

#include <climits>
#include <cstring>
#include <dlfcn.h>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

void PrintUsage(std::ostream &out)
{
    out << "Usage: bitloom [PROJECT.bitloom]          start the editor, opening the project\n"
           "       bitloom --convert IN OUT.bdf       rewrite a font as BDF in Bitloom's layout\n"
           "       bitloom --export IN OUT            write a font in the format OUT's extension\n"
           "                                          names: .bdf standard BDF 2.1, .pcf PCF,\n"
           "                                          .psf/.psfu PSF 2, .hex Unifont; .gz after it\n"
           "                                          compresses\n"
           "         (IN: BDF, PCF, PSF 1, PSF 2 or Unifont .hex, plain or gzip-compressed)\n"
           "       bitloom --source PROJECT [OUT.gd]  write a project's compiler source (without\n"
           "                                          OUT.gd: out.gd in the compiler folder)\n"
           "       bitloom --compile PROJECT OUT.gdr  compile a project into a font store\n"
           "         (both take --compiler-dir DIR: the folder of fnttran.exe, where it runs)\n"
           "       bitloom --version                  print the version\n"
           "       bitloom --help                     print this text\n";
}

// The folder of this executable, where the window library lies beside it.
std::string ExecutableDir()
{
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return ".";
    return FolderOf(std::string(buf, static_cast<size_t>(n)));
}

// The window library: beside this executable in a build folder, in the
// program's private library folder once installed.
std::string WindowLibrary()
{
    const std::string dir = ExecutableDir();
    const std::string beside = dir + "/libbitloom_window.so";
    if (access(beside.c_str(), R_OK) == 0)
        return beside;
    return dir + "/" BITLOOM_LIB_FROM_BIN "/libbitloom_window.so";
}

// Runs an entry of the window library.
int RunFromWindowLibrary(const char *entry, int argc, char **argv)
{
    const std::string library = WindowLibrary();
    void *handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::cerr << "bitloom: cannot load the window library: " << dlerror() << '\n';
        return 1;
    }
    auto *run = reinterpret_cast<decltype(&BitloomWindowMain)>(dlsym(handle, entry));
    if (!run) {
        std::cerr << "bitloom: " << library << " has no entry " << entry << ": " << dlerror() << '\n';
        return 1;
    }
    return run(argc, argv);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && (std::strcmp(argv[1], "--convert") == 0 || std::strcmp(argv[1], "--export") == 0)) {
        if (argc != 4) {
            PrintUsage(std::cerr);
            return 2;
        }
        return (std::strcmp(argv[1], "--convert") == 0 ? RunConvert : RunExport)(argv[2], argv[3], std::cout,
                                                                                 std::cerr);
    }
    if (argc >= 2 && (std::strcmp(argv[1], "--source") == 0 || std::strcmp(argv[1], "--compile") == 0)) {
        if (!ParseCompileArguments(argc, argv)) {
            PrintUsage(std::cerr);
            return 2;
        }
        return RunFromWindowLibrary("BitloomCompileMain", argc, argv);
    }
    if (argc >= 2 && std::strcmp(argv[1], "--help") == 0) {
        PrintUsage(std::cout);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::cout << "Bitloom " << BITLOOM_VERSION << '\n';
        return 0;
    }
    // A project path may be anything but an option this program does not know.
    if (argc >= 2 && argv[1][0] == '-') {
        std::cerr << "bitloom: unknown option " << argv[1] << '\n';
        PrintUsage(std::cerr);
        return 2;
    }
    return RunFromWindowLibrary("BitloomWindowMain", argc, argv);
}
