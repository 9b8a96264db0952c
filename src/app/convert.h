// The window-less font commands: bitloom --convert IN.bdf OUT.bdf and
// bitloom --export IN.bdf OUT.bdf
#pragma once

#include <ostream>
#include <string>

// Reads in, writes out in Bitloom's fixed layout; prints a one-line summary
// (and any read warning) to out, or the error to err. Returns the process exit
// code: 0 on success.
int RunConvert(const std::string &in, const std::string &outPath, std::ostream &out, std::ostream &err);

// The same, writing out as standard BDF 2.1 (FormatExportBDF); after the
// summary it prints the export's report: the glyphs bdftopcf will ignore, what
// had to be left out or mended.
int RunExport(const std::string &in, const std::string &outPath, std::ostream &out, std::ostream &err);
