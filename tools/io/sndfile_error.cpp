#include "io/sndfile_error.h"

#include <sndfile.h>

namespace g722kit::tool {

std::string SndfileMessage(SNDFILE* file) {
  std::string message = sf_strerror(file);
  const std::string system_prefix = "System error : ";  // before the operating system's text
  if (message.starts_with(system_prefix)) message.erase(0, system_prefix.size());
  if (!message.empty() && message.back() == '.') message.pop_back();
  return message;
}

}  // namespace g722kit::tool
