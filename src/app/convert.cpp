#include "convert.h"

#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"
#include "model/fileerror.h"

int RunConvert(const std::string &in, const std::string &outPath, std::ostream &out, std::ostream &err)
{
    try {
        TProjectRecord slot;
        slot.FileName = in;
        TBDFReadReport report = OpenBDF(in, slot.Font);
        SaveBDF(outPath, slot);
        std::string warning = ReadWarningText(in, slot.Font, report);
        out << in << " -> " << outPath << ": " << slot.Font.Chars.size() << " glyphs, "
            << (warning.empty() ? std::string("no warnings") : "warning: " + warning) << '\n';
        return 0;
    } catch (const TFileError &e) {
        err << "bitloom: " << e.what() << '\n';
        return 1;
    }
}
