// What the tool needs from the operating system beyond standard C++: the terminal, and what to
// do on Ctrl-C (SIGINT) or SIGTERM.
#pragma once

#include <filesystem>

namespace g722kit::tool {

bool StderrIsTerminal();

// Width of the terminal on stderr in columns; 80 when it cannot be told.
int StderrColumns();

// From now on an interrupt deletes the file registered with RemoveOnInterrupt (if any) and then
// ends the process as the signal would have.
void InstallInterruptCleanup();

// The file an interrupt deletes: the unfinished output. An empty path registers none.
void RemoveOnInterrupt(const std::filesystem::path& file);

// From now on an interrupt only raises a flag that InterruptRequested reports, so that a
// command can stop cleanly and finish its output.
void DeferInterrupts();
bool InterruptRequested();

}  // namespace g722kit::tool
