#include "tool_process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace g722kit::test {
namespace {

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void StartChild(const std::vector<char*>& argv, const char* dir, const char* out,
                             const char* err, ToolLimits limits) {
  const int out_fd = open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err_fd = open(err, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int null_fd = open("/dev/null", O_RDONLY);
  if (setpgid(0, 0) != 0 || out_fd < 0 || err_fd < 0 || null_fd < 0 || dup2(null_fd, 0) < 0 ||
      dup2(out_fd, 1) < 0 || dup2(err_fd, 2) < 0 || chdir(dir) != 0) {
    _exit(127);
  }
  if (limits.max_file_bytes > 0) {
    const rlimit limit{limits.max_file_bytes, limits.max_file_bytes};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
  }
  execv(argv[0], argv.data());
  _exit(127);
}

}  // namespace

ToolProcess::ToolProcess(const std::vector<std::string>& args, const std::filesystem::path& dir,
                         ToolLimits limits)
    : argv_({G722KIT_TOOL}) {
  argv_.insert(argv_.end(), args.begin(), args.end());
  Start(dir, limits);
}

std::unique_ptr<ToolProcess> ToolProcess::Script(const std::string& script,
                                                 const std::filesystem::path& dir) {
  const std::string with_tool = "g722kit() { '" G722KIT_TOOL "' \"$@\"; }\n" + script;
  std::unique_ptr<ToolProcess> process(new ToolProcess({"/bin/bash", "-c", with_tool}));
  process->Start(dir, {});
  return process;
}

void ToolProcess::Start(const std::filesystem::path& dir, ToolLimits limits) {
  static int counter = 0;
  const std::string stem =
      "g722kit-tool-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  out_file_ = std::filesystem::temp_directory_path() / (stem + ".out");
  err_file_ = std::filesystem::temp_directory_path() / (stem + ".err");
  timeout_seconds_ = limits.timeout_seconds;
  std::vector<char*> argv;
  for (std::string& arg : argv_)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string dir_name = dir.string(), out = out_file_.string(), err = err_file_.string();
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) StartChild(argv, dir_name.c_str(), out.c_str(), err.c_str(), limits);
  setpgid(pid_, pid_);  // also here, so that no signal can come before the child has done it
}

ToolProcess::~ToolProcess() {
  if (pid_ > 0) {
    kill(-pid_, SIGKILL);
    Wait();
  }
}

void ToolProcess::Signal(int signal) const {
  kill(pid_, signal);
}

ToolResult ToolProcess::Wait() {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds_);
  siginfo_t info{};
  // Waits for the end without reaping, so that the process group still exists to be killed.
  while (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == 0) {
    if (std::chrono::steady_clock::now() > deadline) kill(-pid_, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(-pid_, SIGKILL);  // what a script left running
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  ToolResult result;
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.out = ReadText(out_file_);
  result.err = ReadText(err_file_);
  std::error_code ignored;
  std::filesystem::remove(out_file_, ignored);
  std::filesystem::remove(err_file_, ignored);
  return result;
}

ToolResult RunTool(const std::vector<std::string>& args, const std::filesystem::path& dir,
                   ToolLimits limits) {
  return ToolProcess(args, dir, limits).Wait();
}

ToolResult RunScript(const std::string& script, const std::filesystem::path& dir) {
  return ToolProcess::Script(script, dir)->Wait();
}

}  // namespace g722kit::test
