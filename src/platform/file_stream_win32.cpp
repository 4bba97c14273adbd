// File streams on Windows: every open goes through the UTF-16 name, offsets are 64-bit, and a
// file's identity is its volume and file index.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "file_stream.h"
#include "wide_path.h"

namespace g722kit::platform {
namespace {

// The longest path the Win32 file functions take, in UTF-16 units without the terminator.
constexpr size_t kMaxWidePath = 32767;

// Narrow paths are in the ANSI code page, as ToNarrow makes them. Turning them back into UTF-16
// with that code page, rather than handing them to the C runtime's narrow open, keeps the file
// they name independent of the runtime's locale and of the process's file-API code page.
bool ToWide(const char* path, wchar_t (&out)[kNarrowPathCapacity]) {
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, out, kNarrowPathCapacity) > 0;
}

std::FILE* OpenWideForWriting(const wchar_t* path) {
  std::FILE* file = _wfopen(path, L"wb");
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// Named pipes live under \\server\pipe\ (\\.\pipe\ on this machine).
bool IsPipeName(const wchar_t* path) {
  if (!IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
  const wchar_t* server_end = path + 2;
  while (*server_end != 0 && !IsSeparator(*server_end))
    server_end++;
  if (*server_end == 0) return false;
  const wchar_t* name = server_end + 1;
  return _wcsnicmp(name, L"pipe", 4) == 0 && (name[4] == 0 || IsSeparator(name[4]));
}

HANDLE HandleOf(std::FILE* file) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
}

bool Identify(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
  return handle != INVALID_HANDLE_VALUE && GetFileInformationByHandle(handle, &info) != 0;
}

}  // namespace

std::FILE* OpenForReading(const char* path) {
  wchar_t wide[kNarrowPathCapacity];
  if (!ToWide(path, wide)) return nullptr;
  return _wfopen(wide, L"rb");
}

std::FILE* OpenForWriting(const char* path) {
  wchar_t wide[kNarrowPathCapacity];
  if (!ToWide(path, wide)) return nullptr;
  return OpenWideForWriting(wide);
}

bool IsUsableWidePath(const char16_t* path) {
  const wchar_t* wide = AsWide(path);
  if (wcsnlen(wide, kMaxWidePath + 1) > kMaxWidePath) return false;
  // Measuring the UTF-8 form fails on an unpaired surrogate, which is no valid UTF-16.
  return WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, nullptr, 0, nullptr,
                             nullptr) > 0;
}

std::FILE* OpenForWritingWide(const char16_t* path) {
  return OpenWideForWriting(AsWide(path));
}

std::FILE* OpenRegularForUpdate(const char16_t* path, bool& created) {
  created = false;
  const wchar_t* wide = AsWide(path);
  if (IsPipeName(wide)) return nullptr;
  // Shared as _wfopen shares; a folder does not open without FILE_FLAG_BACKUP_SEMANTICS.
  const auto open = [wide](DWORD disposition) {
    return CreateFileW(wide, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE handle = open(OPEN_EXISTING);
  if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
    handle = open(CREATE_NEW);
    created = handle != INVALID_HANDLE_VALUE;
  }
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  std::FILE* file = nullptr;
  if (GetFileType(handle) == FILE_TYPE_DISK) {
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    if (fd >= 0) {
      file = _fdopen(fd, "r+b");
      if (file == nullptr) _close(fd);
      handle = INVALID_HANDLE_VALUE;  // closed with fd
    }
  }
  if (file == nullptr) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    if (created) DeleteFileW(wide);
    created = false;
    return nullptr;
  }
  std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

bool RemoveFile(const char16_t* path) {
  return DeleteFileW(AsWide(path)) != 0;
}

// Windows has no SIGPIPE: a write into a pipe whose reader went away just fails.
size_t Write(std::FILE* file, const void* buffer, size_t size) {
  return std::fwrite(buffer, 1, size, file);
}

bool Truncate(std::FILE* file, int64_t length) {
  const HANDLE handle = HandleOf(file);
  LARGE_INTEGER end;
  end.QuadPart = length;
  return std::fflush(file) == 0 && handle != INVALID_HANDLE_VALUE &&
         SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
}

bool SeekTo(std::FILE* file, int64_t offset) {
  return _fseeki64(file, offset, SEEK_SET) == 0;
}

bool SeekToEnd(std::FILE* file) {
  return _fseeki64(file, 0, SEEK_END) == 0;
}

int64_t Position(std::FILE* file) {
  return _ftelli64(file);
}

bool IsFolder(std::FILE* file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return Identify(HandleOf(file), info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t RegularFileSize(std::FILE* file) {
  const HANDLE handle = HandleOf(file);
  LARGE_INTEGER size;
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
      !GetFileSizeEx(handle, &size)) {
    return -1;
  }
  return size.QuadPart;
}

bool IsSameFile(std::FILE* file, const char* path) {
  wchar_t wide[kNarrowPathCapacity];
  // Opening a pipe, even for its attributes only, takes the instance its server waits with; and
  // a pipe is never the disk file the caller opened.
  if (!ToWide(path, wide) || IsPipeName(wide)) return false;
  // Attribute access only, sharing everything: the named file may be open elsewhere.
  const HANDLE named = CreateFileW(wide, FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION open_info{};
  BY_HANDLE_FILE_INFORMATION path_info{};
  const HANDLE open_handle = HandleOf(file);
  const bool same = Identify(open_handle, open_info) && Identify(named, path_info) &&
                    open_info.dwVolumeSerialNumber == path_info.dwVolumeSerialNumber &&
                    open_info.nFileIndexHigh == path_info.nFileIndexHigh &&
                    open_info.nFileIndexLow == path_info.nFileIndexLow;
  CloseHandle(named);
  return same;
}

}  // namespace g722kit::platform
