// The command line: subcommands, options and help, parsed with CLI11, and every failure turned
// into its message on stderr and its exit code.
#pragma once

namespace g722kit::tool {

// Runs the command that argv names and returns the process's exit code.
int RunCommandLine(int argc, char** argv);

}  // namespace g722kit::tool
