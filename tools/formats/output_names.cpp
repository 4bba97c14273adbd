#include "formats/output_names.h"

#include <sndfile.h>

#include <set>
#include <string>

#include "formats/extension_aliases.h"
#include "io/input_file.h"
#include "io/output_file.h"
#include "messages/tool_error.h"

namespace g722kit::tool {
namespace {

namespace fs = std::filesystem;

// The extension of output without its dot, when it is one the command must honour: a regular
// file's (or a new name's), not a device's or a FIFO's, which keep the command's default.
std::string CheckedExtension(const fs::path& output) {
  const std::string extension = LowerCaseExtension(output);
  if (extension.size() < 2 || !WritesRegularFile(output)) return "";
  return extension.substr(1);
}

// The format with 16-bit PCM when it takes that, else with its first encoding that libsndfile
// writes; a format that names its encoding keeps it.
int WithEncoding(int major) {
  if ((major & SF_FORMAT_SUBMASK) != 0) return major;
  SF_INFO info{};
  info.samplerate = 16000;
  info.channels = 1;
  info.format = major | SF_FORMAT_PCM_16;
  if (sf_format_check(&info)) return info.format;
  int count = 0;
  sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE_COUNT, &count, sizeof count);
  for (int i = 0; i < count; i++) {
    SF_FORMAT_INFO subtype{i, nullptr, nullptr};
    sf_command(nullptr, SFC_GET_FORMAT_SUBTYPE, &subtype, sizeof subtype);
    info.format = major | subtype.format;
    if (sf_format_check(&info)) return info.format;
  }
  return major;
}

// Calls visit with each extension libsndfile writes by and its format, until visit returns true.
template <typename Visit>
void ForEachSndfileExtension(Visit&& visit) {
  for (const ExtensionAlias& alias : kExtensionAliases) {
    if (visit(std::string(alias.extension), alias.format)) return;
  }
  int count = 0;
  sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
  for (int i = 0; i < count; i++) {
    SF_FORMAT_INFO major{i, nullptr, nullptr};
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &major, sizeof major);
    if (visit(std::string(major.extension), major.format)) return;
  }
}

std::optional<int> SndfileFormatOf(const std::string& extension) {
  std::optional<int> found;
  ForEachSndfileExtension([&](const std::string& known, int format) {
    if (known == extension) found = WithEncoding(format);
    return found.has_value();
  });
  return found;
}

// ".aif .aiff .au ...": the extensions libsndfile writes by, but those decode takes for its own.
std::string SndfileExtensions() {
  std::set<std::string> all;
  ForEachSndfileExtension([&](const std::string& known, int) {
    if (known != "wav" && known != "raw") all.insert(known);
    return false;
  });
  std::string list;
  for (const std::string& extension : all)
    list += (list.empty() ? "." : " .") + extension;
  return list;
}

}  // namespace

Container EncodedContainer(const fs::path& output, std::optional<Container> chosen) {
  if (chosen) return *chosen;
  const std::string extension = LowerCaseExtension(output);
  if (extension == ".wav") return Container::kWav;
  if (extension == ".au") return Container::kAu;
  if (extension == ".pcap") return Container::kPcap;
  const std::string checked = CheckedExtension(output);
  if (checked == "pcapng") {
    throw FileError(kExitUsage, "cannot write", output,
                    "captures are written as pcap, which every capture tool reads; name a .pcap "
                    "output");
  }
  if (checked.empty() || checked == "g722" || IsRawPcmName(output)) return Container::kRaw;
  const std::string what = SndfileFormatOf(checked) ? "is an audio format, which cannot hold codes"
                                                    : "names no format encode writes";
  throw FileError(kExitUsage, "cannot write", output,
                  "." + checked + " " + what +
                      "; name a .g722, .wav or .au file (or .raw, .pcm: codes alone), or give "
                      "--container");
}

PcmFileFormat DecodedFormat(const fs::path& output, Endian raw_endian) {
  if (IsRawPcmName(output)) return {PcmFileFormat::Kind::kRaw, 0, raw_endian};
  const std::string checked = CheckedExtension(output);
  if (checked.empty() || checked == "wav" || checked == "g722") return {};
  if (const std::optional<int> format = SndfileFormatOf(checked)) {
    return {PcmFileFormat::Kind::kSndfile, *format};
  }
  const std::string what = checked == "pcap" || checked == "pcapng"
                               ? " is a packet capture, which encode writes, not decode"
                               : " names no format decode writes";
  throw FileError(
      kExitUsage, "cannot write", output,
      "." + checked + what +
          "; name a .wav, .raw or .pcm file, or one of libsndfile's: " + SndfileExtensions());
}

void CheckRecordingName(const fs::path& output) {
  const std::string checked = CheckedExtension(output);
  if (checked.empty() || checked == "wav") return;
  throw FileError(kExitUsage, "cannot record into", output,
                  "record writes WAV files; name a .wav file");
}

}  // namespace g722kit::tool
