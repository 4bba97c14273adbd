// UTF-8 validation, for file names handed to the library and for telling text from codes.
#pragma once

#include <string_view>

namespace g722kit::tool {

// True when text is well-formed UTF-8: no stray continuation byte, no overlong form, no
// surrogate, nothing above U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view text);

}  // namespace g722kit::tool
