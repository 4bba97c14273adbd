// Keeps what a library call prints on stderr from the user, to be shown or dropped after it:
// ALSA prints its own reasons for a failed open ("Unknown PCM default") where the tool's one-line
// error already says what went wrong.
#pragma once

#include <functional>
#include <string>

namespace g722kit::tool {

// Runs work with this process's stderr going to a temporary file, and returns what was written
// there. stderr is restored before returning, also when work throws.
std::string CaptureStderr(const std::function<void()>& work);

}  // namespace g722kit::tool
