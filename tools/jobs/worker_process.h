// Copies of this program that each do one part of a batch, with what they print kept apart.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace g722kit::tool {

struct WorkerResult {
  int exit_code = 0;  // 1 for a worker that a signal ended
  std::string out;    // what it printed on stdout
  std::string err;    // and on stderr
};

// The part this process is to do, when it is a worker; nothing otherwise.
std::optional<size_t> WorkerIndex();

// Runs this program with argv once for each index below count, at most parallel at once, each
// told its index, and calls done in this thread as each ends. A worker ends when this process
// does.
void RunWorkers(char** argv, size_t count, int parallel,
                const std::function<void(size_t index, const WorkerResult& result)>& done);

}  // namespace g722kit::tool
