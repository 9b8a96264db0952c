#include "convert.h"

#include "bdf/bdfexport.h"
#include "bdf/bdfreader.h"
#include "bdf/bdfwriter.h"
#include "bdf/fontformat.h"
#include "model/fileerror.h"

#include <functional>
#include <new>

namespace {

// Reads in, hands the font to write, which writes outPath and returns what
// else to tell; prints the summary line (and any read warning) to out, or the
// error to err, naming the work as `what` ("convert", "export").
int ReadAndWrite(const char *what, const std::string &in, const std::string &outPath, std::ostream &out,
                 std::ostream &err, const std::function<std::string(TProjectRecord &)> &write)
{
    try {
        TProjectRecord slot;
        slot.FileName = in;
        const TFontReadReport report = OpenFont(in, slot.Font);
        const std::string told = write(slot);
        std::string warning = FontWarningText(in, slot.Font, report);
        out << in << " -> " << outPath << ": " << slot.Font.Chars.size() << " glyphs, "
            << (warning.empty() ? std::string("no warnings") : "warning: " + warning) << '\n'
            << told;
        return 0;
    } catch (const TFileError &e) {
        err << "bitloom: " << e.what() << '\n';
        return 1;
    } catch (const std::bad_alloc &) {
        // The target is written through a temporary file, so it is untouched here.
        err << "bitloom: Cannot " << what << " \"" << in << "\": out of memory\n";
        return 1;
    } catch (const std::exception &e) {
        err << "bitloom: Cannot " << what << " \"" << in << "\": " << e.what() << '\n';
        return 1;
    }
}

} // namespace

int RunConvert(const std::string &in, const std::string &outPath, std::ostream &out, std::ostream &err)
{
    return ReadAndWrite("convert", in, outPath, out, err, [&](TProjectRecord &slot) {
        SaveBDF(outPath, slot, 0, TBDFLayout::Fixed);
        return std::string();
    });
}

int RunExport(const std::string &in, const std::string &outPath, std::ostream &out, std::ostream &err)
{
    return ReadAndWrite("export", in, outPath, out, err,
                        [&](TProjectRecord &slot) { return ExportFontTo(outPath, slot.Font); });
}
