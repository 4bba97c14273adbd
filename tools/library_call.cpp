#include "library_call.h"

#include <chrono>
#include <thread>

#include "g722kit/g722kit.h"
#include "output_file.h"
#include "progress.h"
#include "tool_error.h"

namespace g722kit::tool {
namespace {

ExitCode ExitCodeOf(int32_t result) {
  switch (result) {
    case G722KIT_ERR_READ:
    case G722KIT_ERR_OPEN_INPUT:
      return kExitInput;
    case G722KIT_ERR_WRITE:
    case G722KIT_ERR_OPEN_OUTPUT:
    case G722KIT_ERR_HEADER:
    case G722KIT_ERR_TOO_LARGE:
      return kExitOutput;
    default:
      return kExitFailure;
  }
}

}  // namespace

void RunFileOperation(FileOperation operation, const std::string& label,
                      const std::filesystem::path& input, const std::filesystem::path& target,
                      uint64_t expected_bytes) {
  OutputFile output(target);
  int32_t result;
  {
    Progress progress(label, expected_bytes);
    std::jthread watcher([&](std::stop_token stop) {
      while (!stop.stop_requested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(output.path(), error);
        if (!error) progress.Update(size);
      }
    });
    result = operation(input.u16string().c_str(), output.path().u16string().c_str());
  }
  if (result == G722KIT_OK) return output.Commit();
  const ExitCode code = ExitCodeOf(result);
  const std::filesystem::path& file = code == kExitInput ? input : output.target();
  throw FileError(code, code == kExitInput ? "cannot read" : "cannot write", file,
                  G722KitResultText(result));
}

}  // namespace g722kit::tool
