// Copies of this program that each do one part of a batch, with what they print kept apart.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace g722kit::tool {

struct WorkerResult {
  int exit_code = 0;  // 1 for a worker that a signal ended
  int signal = 0;     // the signal that ended it, or 0
  std::string out;    // what it printed on stdout
  std::string err;    // and on stderr
};

// The option that gives a worker its part: "--worker N" after the command's name.
inline constexpr const char* kWorkerOption = "--worker";

// Runs this program with argv once for each index below count, at most parallel at once, each
// told its index by kWorkerOption, and calls done in this thread as each ends. argv[1] is the
// command. A worker ends when this process does.
void RunWorkers(char** argv, size_t count, int parallel,
                const std::function<void(size_t index, const WorkerResult& result)>& done);

}  // namespace g722kit::tool
