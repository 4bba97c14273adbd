// POSIX implementation of worker_process.h: fork and exec, and each worker's stdout and stderr
// in a temporary file read back when it ends.
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

#include "jobs/worker_process.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using TempFile = std::unique_ptr<std::FILE, FileCloser>;

struct Running {
  size_t index;
  TempFile out;
  TempFile err;
};

std::string ProgramPath(char** argv) {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return argv[0];
  return std::string(path, static_cast<size_t>(length));
}

TempFile NewTempFile() {
  TempFile file(std::tmpfile());
  if (!file)
    throw ToolError(kExitFailure, std::string("cannot start a worker: ") + std::strerror(errno));
  return file;
}

std::string ReadAll(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  while (const size_t count = std::fread(buffer, 1, sizeof buffer, file))
    text.append(buffer, count);
  return text;
}

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void StartChild(const char* program, char** argv, int out, int err, pid_t parent) {
#ifdef __linux__
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(1);
#else
  (void)parent;
#endif
  // stdin stays shared, as every other descriptor: an input named /dev/stdin or /dev/fd/N is
  // read by the one worker that converts it.
  if (dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
  execv(program, argv);
  _exit(127);
}

}  // namespace

void RunWorkers(char** argv, size_t count, int parallel,
                const std::function<void(size_t index, const WorkerResult& result)>& done) {
  const std::string program = ProgramPath(argv);
  // The command line with the worker's part after the command's name, set for each worker.
  std::vector<std::string> arguments(argv, argv + 1);
  arguments.insert(arguments.end(), {argv[1], kWorkerOption, ""});
  for (char** argument = argv + 2; *argument != nullptr; argument++)
    arguments.emplace_back(*argument);
  std::map<pid_t, Running> running;
  size_t next = 0;
  while (next < count || !running.empty()) {
    while (next < count && running.size() < static_cast<size_t>(parallel)) {
      arguments[3] = std::to_string(next);
      std::vector<char*> worker_argv;
      for (std::string& argument : arguments)
        worker_argv.push_back(argument.data());
      worker_argv.push_back(nullptr);
      Running worker{next, NewTempFile(), NewTempFile()};
      const pid_t parent = getpid();
      const pid_t pid = fork();
      if (pid < 0)
        throw ToolError(kExitFailure,
                        std::string("cannot start a worker: ") + std::strerror(errno));
      if (pid == 0) {
        StartChild(program.c_str(), worker_argv.data(), fileno(worker.out.get()),
                   fileno(worker.err.get()), parent);
      }
      running.emplace(pid, std::move(worker));
      next++;
    }
    int status = 0;
    const pid_t pid = waitpid(-1, &status, 0);
    if (pid < 0) {
      if (errno == EINTR) continue;
      throw ToolError(kExitFailure,
                      std::string("cannot wait for a worker: ") + std::strerror(errno));
    }
    const auto found = running.find(pid);
    if (found == running.end()) continue;
    WorkerResult result;
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = ReadAll(found->second.out.get());
    result.err = ReadAll(found->second.err.get());
    const size_t index = found->second.index;
    running.erase(found);
    done(index, result);
  }
}

}  // namespace g722kit::tool
