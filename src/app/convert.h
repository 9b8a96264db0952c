// The window-less command line: bitloom --convert IN.bdf OUT.bdf
#pragma once

#include <ostream>
#include <string>

// Reads in, writes out; prints a one-line summary (and any read warning) to out,
// or the error to err. Returns the process exit code: 0 on success.
int RunConvert(const std::string &in, const std::string &outPath, std::ostream &out, std::ostream &err);
