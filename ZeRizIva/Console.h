#pragma once
// Lines on standard output and standard error: each ends with a line end and is
// flushed at once, converted from the ANSI code page to the console's.
#include <string_view>

void WriteLine(std::string_view ansiText);
void WriteErrorLine(std::string_view ansiText);
// Text without an added line end (the usage text brings its own).
void WriteText(std::string_view ansiText);

// The run's log: once a sink is set, every line written here goes there too,
// as do the lines written for the log alone.
using LineSink = void (*)(std::string_view ansiLine);
void SetLineSink(LineSink sink);
void WriteLogLine(std::string_view ansiText);
