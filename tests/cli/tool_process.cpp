#include "tool_process.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <iterator>
#include <stdexcept>

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
  if (out_fd < 0 || err_fd < 0 || null_fd < 0 || dup2(null_fd, 0) < 0 || dup2(out_fd, 1) < 0 ||
      dup2(err_fd, 2) < 0 || chdir(dir) != 0) {
    _exit(127);
  }
  if (limits.max_file_bytes > 0) {
    const rlimit limit{limits.max_file_bytes, limits.max_file_bytes};
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
  }
  execv(argv[0], argv.data());
  _exit(127);
}

}  // namespace

ToolProcess::ToolProcess(const std::vector<std::string>& args, const std::filesystem::path& dir,
                         ToolLimits limits) {
  static int counter = 0;
  const std::string stem =
      "g722kit-tool-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  out_file_ = std::filesystem::temp_directory_path() / (stem + ".out");
  err_file_ = std::filesystem::temp_directory_path() / (stem + ".err");
  std::vector<std::string> all = {G722KIT_TOOL};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : all)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string dir_name = dir.string(), out = out_file_.string(), err = err_file_.string();
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) StartChild(argv, dir_name.c_str(), out.c_str(), err.c_str(), limits);
}

ToolProcess::~ToolProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    Wait();
  }
}

void ToolProcess::Signal(int signal) const {
  kill(pid_, signal);
}

ToolResult ToolProcess::Wait() {
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

}  // namespace g722kit::test
