// g722kit: the command-line tool over the g722kit library.
#include "commands/command_line.h"
#include "io/system.h"

int main(int argc, char** argv) {
  g722kit::tool::InstallInterruptCleanup();
  g722kit::tool::IgnoreFileSizeSignal();
  return g722kit::tool::RunCommandLine(argc, argv);
}
