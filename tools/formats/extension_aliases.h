// Extensions people give audio files that libsndfile's own list of formats names otherwise.
#pragma once

#include <sndfile.h>

#include <string_view>

namespace g722kit::tool {

struct ExtensionAlias {
  std::string_view extension;  // without its dot, lower case
  int format;                  // libsndfile's major format and encoding
};

// libsndfile calls Ogg files .oga and MPEG audio .m1a.
inline constexpr ExtensionAlias kExtensionAliases[] = {
    {"aif", SF_FORMAT_AIFF | SF_FORMAT_PCM_16},
    {"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
    {"opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
    {"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
};

}  // namespace g722kit::tool
