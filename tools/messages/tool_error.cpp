#include "messages/tool_error.h"

#include <cerrno>
#include <cstring>

namespace g722kit::tool {

ToolError FileError(ExitCode code, const std::string& what, const std::filesystem::path& file,
                    const std::string& cause) {
  return ToolError(code, what + " '" + file.string() + "': " + cause);
}

ToolError FileErrno(ExitCode code, const std::string& what, const std::filesystem::path& file) {
  return FileError(code, what, file, std::strerror(errno));
}

}  // namespace g722kit::tool
