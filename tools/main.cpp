// g722kit: the command-line tool over the g722kit library.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "g722kit/g722kit.h"
#include "system.h"
#include "tool_error.h"

using namespace g722kit::tool;

namespace {

constexpr const char* kExitCodeHelp =
    "Exit codes: 0 success, 1 unexpected failure, 2 wrong command line, 3 input cannot be read,\n"
    "4 input not in a format the command reads, 5 output cannot be written, 6 audio device\n"
    "failure; Ctrl-C ends with the signal (130 in a shell). A failed command leaves an existing\n"
    "output file as it was.";

// The message for a command line CLI11 refused; CLI11 says only that a subcommand is
// required when the first word is not one.
std::string UsageMessage(CLI::App& app, const CLI::ParseError& error, int argc, char** argv) {
  if (!app.get_subcommands().empty() || argc < 2 || argv[1][0] == '-') return error.what();
  std::string names;
  for (const CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    names += (names.empty() ? "" : ", ") + command->get_name();
  }
  return "unknown command '" + std::string(argv[1]) + "' (the commands are " + names + ")";
}

}  // namespace

CLI::App* g722kit::tool::AddCommand(CLI::App& app, const std::string& name,
                                    const std::string& summary, const std::string& details) {
  CLI::App* command = app.add_subcommand(name, summary);
  command->footer(details + "\n\n" + kExitCodeHelp);
  return command;
}

int main(int argc, char** argv) {
  CLI::App app("Encode, decode, record and inspect G.722 speech audio.", "g722kit");
  app.set_version_flag("--version", std::string("g722kit ") + G722KitVersion(),
                       "Print the version and exit");
  app.require_subcommand(1);
  app.footer(kExitCodeHelp);
  AddEncodeCommand(app);
  AddDecodeCommand(app);
  AddInfoCommand(app);
  AddCompareCommand(app);
  InstallInterruptCleanup();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);  // --help, --version
    std::fprintf(stderr, "g722kit: %s\nRun 'g722kit --help' for usage.\n",
                 UsageMessage(app, error, argc, argv).c_str());
    return kExitUsage;
  } catch (const ToolError& error) {
    std::fprintf(stderr, "g722kit: %s\n%s", error.what(),
                 error.code() == kExitUsage ? "Run 'g722kit --help' for usage.\n" : "");
    return error.code();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "g722kit: %s\n", error.what());
    return kExitFailure;
  }
  return kExitOk;
}
