#include "compilecli.h"

#include "bdf/fileio.h"
#include "compilerun.h"
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

int RunSourceCommand(const std::string &projectPath, const std::string &outPath, std::ostream &out, std::ostream &err)
{
    return Guarded(projectPath, err, [&] {
        const TOpenedProject p = Open(projectPath, err);
        WriteFileAtomically(outPath, Source(p));
        out << projectPath << " -> " << outPath << ": " << p.Fonts.size() << " fonts, " << p.File.Typefaces.size()
            << " typefaces\n";
        return 0;
    });
}

int RunCompileCommand(const std::string &projectPath, const std::string &target, const std::string &programFolder,
                      std::ostream &out, std::ostream &err)
{
    return Guarded(projectPath, err, [&] {
        const TOpenedProject p = Open(projectPath, err);
        if (p.Fonts.empty()) {
            err << "bitloom: \"" << projectPath << "\" opens no fonts: nothing to compile\n";
            return 1;
        }
        const TCompileResult result = CompileFontStore(Source(p), programFolder, target);
        for (const std::string &line : result.Log)
            out << line << '\n';
        out << result.Status << '\n';
        return result.Success ? 0 : 1;
    });
}
