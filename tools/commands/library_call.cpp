#include "commands/library_call.h"

#include <chrono>
#include <thread>

#include "g722kit/g722kit.h"
#include "io/utf8.h"
#include "messages/progress.h"
#include "messages/tool_error.h"

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

bool LibraryCanReach(const InputFile& input, const OutputFile& output) {
  return input.size() && input.name() != "-" && !output.temporary().empty() &&
         IsValidUtf8(input.name().native()) && IsValidUtf8(output.temporary().native());
}

void RunFileOperation(FileOperation operation, const std::string& label, const InputFile& input,
                      const OutputFile& output, uint64_t expected_bytes) {
  int32_t result;
  {
    Progress progress(label, expected_bytes);
    std::jthread watcher([&](std::stop_token stop) {
      while (!stop.stop_requested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(output.temporary(), error);
        if (!error) progress.Update(size);
      }
    });
    result = operation(input.name().u16string().c_str(), output.temporary().u16string().c_str());
  }
  if (result == G722KIT_OK) return;
  const ExitCode code = ExitCodeOf(result);
  const std::filesystem::path& file = code == kExitInput ? input.name() : output.data_name();
  throw FileError(code, code == kExitInput ? "cannot read" : "cannot write", file,
                  G722KitResultText(result));
}

}  // namespace g722kit::tool
