// The window half of the program, built as a library the executable loads only
// when it opens a window: the command-line converter then starts without the
// cost of loading and relocating the GUI libraries.
#pragma once

extern "C" int BitloomWindowMain(int argc, char **argv);

// bitloom --source PROJECT OUT.gd and bitloom --compile PROJECT TARGET.gdr: they
// need the project file and the process runner, which live beside the window.
extern "C" int BitloomCompileMain(int argc, char **argv);
