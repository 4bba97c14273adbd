// Exit codes of the g722kit tool. The values are part of its interface: scripts test them.
#pragma once

namespace g722kit::tool {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,  // anything not covered below (an unexpected library result)
  kExitUsage = 2,    // the command line is wrong: unknown option, missing argument, ...
  kExitInput = 3,    // the input cannot be read: missing, a directory, no permission, I/O error
  kExitFormat = 4,   // the input is not in a format the command reads
  kExitOutput = 5,   // the output cannot be written: no such folder, disk full, ...
  kExitDevice = 6,   // the audio input device cannot be opened or started
};

// Ctrl-C (SIGINT) or SIGTERM ends record cleanly (exit 0) and any other command by the signal,
// after deleting its unfinished output: a shell then shows 130 or 143.

}  // namespace g722kit::tool
