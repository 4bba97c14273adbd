// The tool's own words besides its errors: the summary line of a command, and warnings. The
// summary goes to stdout, or to stderr when stdout carries the command's output data; --quiet
// drops it, and the progress bar. Warnings always go to stderr.
#pragma once

#include <string>

namespace g722kit::tool {

void SetQuiet(bool quiet);
bool Quiet();

// Prints a line formatted as by printf; data_on_stdout: the output data go to stdout.
[[gnu::format(printf, 2, 3)]] void PrintSummary(bool data_on_stdout, const char* format, ...);

// "g722kit: warning: <text>" on stderr.
void Warn(const std::string& text);

}  // namespace g722kit::tool
