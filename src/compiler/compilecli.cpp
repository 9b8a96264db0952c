#include "compilecli.h"

#include "bdf/fileio.h"
#include "compilersource.h"
#include "model/fileerror.h"
#include "project.h"

#include <new>

namespace {

// The project with the fonts it lists; what could not be read is told on err.
TOpenedProject Open(const std::string &projectPath, std::ostream &err)
{
    TOpenedProject opened = OpenProjectFile(projectPath);
    for (const std::string &problem : opened.Problems)
        err << "bitloom: font left out: " << problem << '\n';
    for (const std::string &warning : opened.Warnings)
        err << "bitloom: " << warning << '\n';
    return opened;
}

std::string Source(const TOpenedProject &p)
{
    return WriteCompilerSource(p.Fonts, p.File.Typefaces, p.File.CollectionUid, p.File.KPixelAspectRatio);
}

template <class Body>
int Guarded(const std::string &projectPath, std::ostream &err, Body body)
{
    try {
        return body();
    } catch (const TFileError &e) {
        err << "bitloom: " << e.what() << '\n';
    } catch (const std::bad_alloc &) {
        err << "bitloom: Cannot compile \"" << projectPath << "\": out of memory\n";
    }
    return 1;
}

} // namespace

int RunCompileCommand(const TCompileArguments &args, const std::string &programFolder, std::ostream &out,
                      std::ostream &err, const TKeepWaiting &keepWaiting)
{
    return Guarded(args.Project, err, [&] {
        const bool source = args.Command == "--source";
        std::string folder;
        if (!source || args.Output.empty()) {
            folder = ResolveCompilerFolder(args.CompilerDir, programFolder);
            if (folder.empty()) {
                err << "bitloom: " << CompilerFileName << " is neither beside the program (\"" << programFolder
                    << "\") nor in a remembered compiler folder; name its folder with --compiler-dir DIR or "
                    << CompilerFolderVariable << "=DIR\n";
                return 1;
            }
            CheckCompilerFolder(folder);
        }
        const TOpenedProject p = Open(args.Project, err);
        if (source) {
            const std::string outPath = args.Output.empty() ? folder + "/out.gd" : args.Output;
            WriteFileAtomically(outPath, Source(p));
            out << args.Project << " -> " << outPath << ": " << p.Fonts.size() << " fonts, "
                << p.File.Typefaces.size() << " typefaces\n";
            return 0;
        }
        if (p.Fonts.empty()) {
            err << "bitloom: \"" << args.Project << "\" opens no fonts: nothing to compile\n";
            return 1;
        }
        const TCompileResult result = CompileFontStore(Source(p), folder, args.Output, keepWaiting);
        for (const std::string &line : result.Log)
            out << line << '\n';
        out << result.Status << '\n';
        return result.Success ? 0 : 1;
    });
}
