// Prints what Windows reads of a program's resources, for the installer test:
// its fixed version, the strings of its version information and its
// manifest, one "Key=Value" line each (the manifest on one line), as UTF-8.
//
// Usage: version_reader FILE

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void Print(const std::wstring& key, const std::wstring& value) {
  const std::wstring line = key + L"=" + value + L"\n";
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

std::wstring Quad(DWORD high, DWORD low) {
  return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." + std::to_wstring(HIWORD(low)) +
         L"." + std::to_wstring(LOWORD(low));
}

bool PrintVersion(const wchar_t* file) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
  if (size == 0) return false;
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(file, 0, size, data.data())) return false;

  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(data.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO)) return false;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  Print(L"FixedFileVersion", Quad(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
  Print(L"FixedProductVersion", Quad(fixed->dwProductVersionMS, fixed->dwProductVersionLS));

  // The strings of the first language the file names.
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4) return false;
  const auto* translation = static_cast<const WORD*>(value);
  wchar_t block[32];
  std::swprintf(block, 32, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
  for (const wchar_t* key : {L"CompanyName", L"FileDescription", L"FileVersion", L"LegalCopyright", L"OriginalFilename",
                             L"ProductName", L"ProductVersion"}) {
    if (VerQueryValueW(data.data(), (block + std::wstring(key)).c_str(), &value, &length) && length > 0) {
      Print(key, static_cast<const wchar_t*>(value));
    }
  }
  return true;
}

bool PrintManifest(const wchar_t* file) {
  HMODULE module = LoadLibraryExW(file, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return false;
  bool found = false;
  if (HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    std::string text(bytes, SizeofResource(module, resource));
    for (char& c : text) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    std::printf("Manifest=%s\n", text.c_str());
    found = true;
  }
  FreeLibrary(module);
  return found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: version_reader FILE\n");
    return 2;
  }
  if (!PrintVersion(argv[1])) {
    std::fprintf(stderr, "version_reader: no version information\n");
    return 1;
  }
  if (!PrintManifest(argv[1])) {
    std::fprintf(stderr, "version_reader: no manifest\n");
    return 1;
  }
  return 0;
}
