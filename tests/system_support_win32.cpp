#include <windows.h>

#include "system_support.h"

namespace g722kit::test {

std::u16string NullDevice() {
  return u"NUL";
}

std::optional<std::u16string> FullDevice() {
  return std::nullopt;
}

FileSizeCap::FileSizeCap(uint64_t) {}

FileSizeCap::~FileSizeCap() = default;

std::optional<bool> NarrowPathSpells(bool in_code_page_1252) {
  if (GetACP() != 1252) return std::nullopt;
  return in_code_page_1252;
}

ReadPipe::ReadPipe(const std::filesystem::path& folder, Reader reader) {
  path_ = u"\\\\.\\pipe\\" + folder.filename().u16string();
  const HANDLE pipe =
      CreateNamedPipeW(reinterpret_cast<const wchar_t*>(path_.c_str()), PIPE_ACCESS_INBOUND,
                       PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
  reader_ = std::thread([pipe, reader] {
    if (pipe == INVALID_HANDLE_VALUE) return;
    ConnectNamedPipe(pipe, nullptr);
    char sink[4096];
    DWORD count = 0;
    while (reader == Reader::kDrains && ReadFile(pipe, sink, sizeof sink, &count, nullptr) &&
           count > 0) {
    }
    CloseHandle(pipe);
  });
}

}  // namespace g722kit::test
