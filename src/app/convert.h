// The window-less font commands: bitloom --convert IN OUT.bdf and
// bitloom --export IN OUT. IN may be any font OpenFont reads.
#pragma once

#include <ostream>
#include <string>

// Reads in, writes out in Bitloom's fixed layout; prints a one-line summary
// (and any read warning) to out, or the error to err. Returns the process exit
// code: 0 on success.
int RunConvert(const std::string &in, const std::string &outPath, std::ostream &out, std::ostream &err);

// The same, writing out in the format its extension names (FormatForPath): BDF
// as standard BDF 2.1 (FormatExportBDF), after the summary the export's report
// (the glyphs bdftopcf will ignore, what had to be left out or mended); .psf,
// .psfu as PSF 2 and .hex as Unifont's, gzip-compressed for a name ending in
// .gz. A format Bitloom does not write (PCF) fails before anything is read.
int RunExport(const std::string &in, const std::string &outPath, std::ostream &out, std::ostream &err);
