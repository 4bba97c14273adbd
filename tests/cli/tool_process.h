// Runs the g722kit tool as a user would and collects what it printed and how it ended.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
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
  uint64_t max_file_bytes = 0;  // RLIMIT_FSIZE for the tool, 0 for none
  int timeout_seconds = 120;
};

// The tool started in folder dir with args (without the program name), or a bash script in
// which the command g722kit runs the tool. It runs in a process group of its own, killed with
// all it started when it outlasts the timeout or the object.
class ToolProcess {
 public:
  ToolProcess(const std::vector<std::string>& args, const std::filesystem::path& dir,
              ToolLimits limits = {});
  static std::unique_ptr<ToolProcess> Script(const std::string& script,
                                             const std::filesystem::path& dir);
  ~ToolProcess();
  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;

  void Signal(int signal) const;
  ToolResult Wait();

 private:
  explicit ToolProcess(std::vector<std::string> argv) : argv_(std::move(argv)) {}
  void Start(const std::filesystem::path& dir, ToolLimits limits);

  std::vector<std::string> argv_;
  int timeout_seconds_ = 0;
  pid_t pid_ = -1;
  std::filesystem::path out_file_;
  std::filesystem::path err_file_;
};

ToolResult RunTool(const std::vector<std::string>& args, const std::filesystem::path& dir,
                   ToolLimits limits = {});
ToolResult RunScript(const std::string& script, const std::filesystem::path& dir);

}  // namespace g722kit::test
