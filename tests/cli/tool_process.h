// Runs the g722kit tool as a user would and collects what it printed and how it ended.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace g722kit::test {

struct ToolResult {
  int exit_code = -1;  // -1 when a signal ended the process
  int signal = 0;      // the signal that ended it, or 0
  std::string out;
  std::string err;
};

struct ToolLimits {
  uint64_t max_file_bytes = 0;  // RLIMIT_FSIZE for the tool, 0 for none (SIGXFSZ ignored)
};

// The tool started in folder dir with args (without the program name).
class ToolProcess {
 public:
  ToolProcess(const std::vector<std::string>& args, const std::filesystem::path& dir,
              ToolLimits limits = {});
  ~ToolProcess();
  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;

  void Signal(int signal) const;
  ToolResult Wait();

 private:
  pid_t pid_ = -1;
  std::filesystem::path out_file_;
  std::filesystem::path err_file_;
};

ToolResult RunTool(const std::vector<std::string>& args, const std::filesystem::path& dir,
                   ToolLimits limits = {});

}  // namespace g722kit::test
