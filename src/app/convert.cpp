#include "convert.h"

#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"
#include "model/fileerror.h"

#include <new>

int RunConvert(const std::string &in, const std::string &outPath, std::ostream &out, std::ostream &err)
{
    try {
        TProjectRecord slot;
        slot.FileName = in;
        TBDFReadReport report = OpenBDF(in, slot.Font);
        SaveBDF(outPath, slot, 0, TBDFLayout::Fixed);
        std::string warning = ReadWarningText(in, slot.Font, report);
        out << in << " -> " << outPath << ": " << slot.Font.Chars.size() << " glyphs, "
            << (warning.empty() ? std::string("no warnings") : "warning: " + warning) << '\n';
        return 0;
    } catch (const TFileError &e) {
        err << "bitloom: " << e.what() << '\n';
        return 1;
    } catch (const std::bad_alloc &) {
        // The target is written through a temporary file, so it is untouched here.
        err << "bitloom: Cannot convert \"" << in << "\": out of memory\n";
        return 1;
    } catch (const std::exception &e) {
        err << "bitloom: Cannot convert \"" << in << "\": " << e.what() << '\n';
        return 1;
    }
}
