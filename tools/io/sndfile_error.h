// libsndfile's message for the last error of a file (or of the last failed open, for null),
// without its full stop, to end the tool's one-line messages.
#pragma once

#include <string>

struct sf_private_tag;

namespace g722kit::tool {

std::string SndfileMessage(sf_private_tag* file);

}  // namespace g722kit::tool
