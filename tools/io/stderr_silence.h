// Keeps what a library call prints on stderr from the user: ALSA and the sound server's client
// print their own lines ("Unknown PCM default", "ftruncate() failed") where the tool's one-line
// messages already say what matters.
#pragma once

#include <functional>

namespace g722kit::tool {

// Runs work with this process's stderr going nowhere; stderr is restored before returning, also
// when work throws.
void WithoutStderr(const std::function<void()>& work);

}  // namespace g722kit::tool
