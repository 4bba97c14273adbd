// The version resource of g722kit.dll, read as a Windows host reads it, against the version
// the library was built as.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "g722kit/g722kit.h"

namespace {

// The version resource of the g722kit.dll this program loaded.
std::vector<char> LoadedVersionResource() {
  HMODULE dll = GetModuleHandleW(L"g722kit.dll");
  if (dll == nullptr) return {};
  wchar_t path[MAX_PATH];
  if (GetModuleFileNameW(dll, path, MAX_PATH) == 0) return {};
  DWORD ignored = 0;
  std::vector<char> data(GetFileVersionInfoSizeW(path, &ignored));
  if (data.empty() || !GetFileVersionInfoW(path, 0, static_cast<DWORD>(data.size()), data.data())) {
    return {};
  }
  return data;
}

std::string StringValue(std::vector<char>& resource, const wchar_t* name) {
  const std::wstring key = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(resource.data(), key.c_str(), &value, &length) || length == 0) return {};
  const auto* text = static_cast<const wchar_t*>(value);
  return std::string(text, text + length - 1);  // the length counts the terminator
}

TEST(DllVersion, ResourceCarriesTheBuiltVersion) {
  const std::string version = G722KitVersion();  // also keeps the DLL loaded
  std::vector<char> resource = LoadedVersionResource();
  ASSERT_FALSE(resource.empty()) << "g722kit.dll has no version resource";

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueW(resource.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
  ASSERT_GE(size, sizeof(VS_FIXEDFILEINFO));
  const DWORD high = MAKELONG(G722KIT_VERSION_MINOR, G722KIT_VERSION_MAJOR);
  const DWORD low = MAKELONG(G722KIT_VERSION_BUILD, G722KIT_VERSION_PATCH);
  EXPECT_EQ(fixed->dwFileVersionMS, high);
  EXPECT_EQ(fixed->dwFileVersionLS, low);
  EXPECT_EQ(fixed->dwProductVersionMS, high);
  EXPECT_EQ(fixed->dwProductVersionLS, low);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

  EXPECT_EQ(StringValue(resource, L"FileVersion"), version);
  EXPECT_EQ(StringValue(resource, L"ProductVersion"), version);
  EXPECT_EQ(StringValue(resource, L"OriginalFilename"), "g722kit.dll");
}

}  // namespace
