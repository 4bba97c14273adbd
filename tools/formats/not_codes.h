// Inputs that decode must not take for G.722 codes. Codes have no header, so any bytes could be
// codes; but a file that starts like an audio file of a known format, or reads as text, is
// surely something else given by mistake.
#pragma once

#include <optional>
#include <string>

#include "io/input_file.h"

namespace g722kit::tool {

// "a FLAC audio file" when input starts as an audio file of a known format, else nothing.
// Looks at the start of input and leaves it at its beginning.
std::optional<std::string> KnownAudioFile(InputFile& input);

// True when input starts with whole lines of printable text. Leaves it at its beginning.
bool IsTextFile(InputFile& input);

}  // namespace g722kit::tool
