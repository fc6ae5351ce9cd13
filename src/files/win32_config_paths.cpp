#include <windows.h>
// After windows.h, which it needs.
#include <knownfolders.h>
#include <shlobj.h>

#include "files/config_paths.h"
#include "files/file_names.h"
#include "files/history.h"
#include "files/win32_text.h"

namespace qm17 {

namespace {

// The environment first, so that a test (or a user with a moved profile) can point elsewhere;
// only a full path counts, as a relative one would put the files in the current folder.
std::string AbsoluteFromEnvironment(const wchar_t* name) {
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  const DWORD length = ::GetEnvironmentVariableW(name, value.data(), size);
  if (length == 0 || length >= size) return {};
  value.resize(length);
  if (!std::filesystem::path(value).is_absolute()) return {};
  return Utf8FromWide(value);
}

std::string KnownFolder(const KNOWNFOLDERID& id) {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path))) {
    folder = Utf8FromWide(path);
  }
  ::CoTaskMemFree(path);
  return folder;
}

std::string ProgramFolderIn(const std::string& base, const char* below) {
  if (base.empty()) return {};
  return Utf8FromPath(PathFromUtf8(base) / PathFromUtf8(below));
}

}  // namespace

std::string ConfigDirectory() {
  std::string base = AbsoluteFromEnvironment(L"APPDATA");
  if (base.empty()) base = KnownFolder(FOLDERID_RoamingAppData);
  return ProgramFolderIn(base, "qm17");
}

// Local, not roaming: a thousand parameter files need not follow the user between machines.
std::string HistoryFolder() {
  std::string base = AbsoluteFromEnvironment(L"LOCALAPPDATA");
  if (base.empty()) base = KnownFolder(FOLDERID_LocalAppData);
  return ProgramFolderIn(base, "qm17\\history");
}

std::string EarlierSettingsFolder() {
  for (const wchar_t* name : {L"WINDIR", L"SystemRoot"}) {
    if (std::string folder = AbsoluteFromEnvironment(name); !folder.empty()) return folder;
  }
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return {};
  return Utf8FromWide(std::wstring(folder, length));
}

std::string DefaultComDevice(int portNumber) {
  return "COM" + std::to_string(portNumber);
}

}  // namespace qm17
