// The one kind of failure the tool reports: an exit code and a one-line message that names the
// file and the cause.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "messages/exit_codes.h"

namespace g722kit::tool {

class ToolError : public std::runtime_error {
 public:
  ToolError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
  ExitCode code() const { return code_; }

 private:
  ExitCode code_;
};

// "<what> '<file>': <cause>", for example "cannot open 'a.wav': No such file or directory".
ToolError FileError(ExitCode code, const std::string& what, const std::filesystem::path& file,
                    const std::string& cause);

// The same, with the cause taken from errno.
ToolError FileErrno(ExitCode code, const std::string& what, const std::filesystem::path& file);

}  // namespace g722kit::tool
