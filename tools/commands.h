// The tool's subcommands. Each adds itself to the application with its options and runs from
// the callback CLI11 calls once the command line is parsed.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace g722kit::tool {

// Adds a subcommand: summary shows in the command list, details below its own --help.
CLI::App* AddCommand(CLI::App& app, const std::string& name, const std::string& summary,
                     const std::string& details);

void AddEncodeCommand(CLI::App& app);
void AddDecodeCommand(CLI::App& app);
void AddInfoCommand(CLI::App& app);
void AddCompareCommand(CLI::App& app);

}  // namespace g722kit::tool
