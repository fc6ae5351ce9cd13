#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>

#include "files/atomic_file.h"
#include "files/win32_text.h"

namespace qm17 {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Handle {
 public:
  explicit Handle(HANDLE handle) : m_handle(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return m_handle; }
  bool Close() {
    const bool closed = !Valid() || ::CloseHandle(m_handle) != 0;
    m_handle = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE m_handle;
};

wchar_t UpperAscii(wchar_t c) {
  return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// NUL, CON, COM1, LPT1 and the like name devices in every folder and with any extension;
// "\\.\" names a device or a pipe. Recognised by name, so that nothing is opened (a COM port
// opened by mistake would be taken from the program that uses it).
bool NamesADevice(const std::wstring& path) {
  const auto starts = [&path](const wchar_t* prefix) { return path.rfind(prefix, 0) == 0; };
  if (starts(L"\\\\.\\") || starts(L"//./") || starts(L"\\\\?\\.\\")) return true;
  if (starts(L"\\\\?\\")) {
    // Long names ("\\?\C:\...", "\\?\UNC\...") are files; the rest of that namespace is not.
    const std::wstring rest = path.substr(4);
    const bool drive = rest.size() >= 3 && rest[1] == L':' && (rest[2] == L'\\' || rest[2] == L'/');
    const bool unc = rest.size() >= 4 && UpperAscii(rest[0]) == L'U' &&
                     UpperAscii(rest[1]) == L'N' && UpperAscii(rest[2]) == L'C' && rest[3] == L'\\';
    if (!drive && !unc) return true;
  }
  const std::size_t slash = path.find_last_of(L"\\/:");
  std::wstring base = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
  base = base.substr(0, base.find(L'.'));
  while (!base.empty() && base.back() == L' ') base.pop_back();
  for (wchar_t& c : base) c = UpperAscii(c);
  for (const wchar_t* name : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
    if (base == name) return true;
  }
  if (base.size() == 4 && (base.rfind(L"COM", 0) == 0 || base.rfind(L"LPT", 0) == 0)) {
    const wchar_t n = base[3];
    return (n >= L'0' && n <= L'9') || n == L'\u00B9' || n == L'\u00B2' || n == L'\u00B3';
  }
  return false;
}

bool WriteAll(HANDLE handle, std::string_view content) {
  while (!content.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(handle, content.data(), chunk, &written, nullptr) || written == 0) {
      return false;
    }
    content.remove_prefix(written);
  }
  return true;
}

// Only a folder that refuses new files is a reason to write in place; a full disk or quota
// is not, as writing over the old file there would cut it off where the space ran out.
bool FolderRefusesNewFiles(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}

// For a file the user may write in a folder where no temporary file can be made or renamed.
// The room for a longer content is taken first (the file grown to its new length), so that a
// disk without it leaves the old file as it was; new content then goes over the old before
// the rest is cut off.
bool WriteInPlace(const std::wstring& path, std::string_view content) {
  Handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid() || ::GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
  LARGE_INTEGER size{};
  LARGE_INTEGER length{};
  length.QuadPart = static_cast<LONGLONG>(content.size());
  const LARGE_INTEGER start{};
  const bool roomMade =
      ::GetFileSizeEx(file.Get(), &size) &&
      (length.QuadPart <= size.QuadPart ||
       (::SetFilePointerEx(file.Get(), length, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.Get()) &&
        ::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN)));
  const bool written = roomMade && WriteAll(file.Get(), content) && ::SetEndOfFile(file.Get()) &&
                       ::FlushFileBuffers(file.Get());
  return file.Close() && written;
}

// A name of its own beside the target, never one that exists (CREATE_NEW).
std::wstring TemporaryName(const std::filesystem::path& target, unsigned attempt) {
  static std::atomic<unsigned> counter{0};
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  const std::uint64_t mixed = static_cast<std::uint64_t>(now.QuadPart) * 2654435761u ^
                              ::GetCurrentProcessId() ^ (counter++ << 20) ^ attempt;
  wchar_t suffix[8];
  for (int i = 0; i < 7; ++i) suffix[i] = L"0123456789abcdef"[(mixed >> (4 * i)) & 0xF];
  suffix[7] = L'\0';
  // A name near the file system's limit leaves no room for the suffix.
  if (target.filename().native().size() + 8 > 255) {
    return (target.parent_path() / (std::wstring(L".qm17-save.") + suffix)).native();
  }
  return target.native() + L"." + suffix;
}

bool Write(const std::string& requested, std::string_view content, bool intoDevices) {
  const std::wstring path = WideFromUtf8(requested);
  if (path.empty()) return false;
  // A device the user named (qm17ctl -o NUL) is written into, never replaced.
  const auto writeInto = [&path, content] {
    Handle out(::CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.Valid()) return false;
    const bool written = WriteAll(out.Get(), content);
    return out.Close() && written;
  };
  if (NamesADevice(path)) return intoDevices && writeInto();

  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists) {
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) return false;
    // Renaming would replace a read-only file that a plain open could not write. The flag
    // holds for every user; opening the file asks whether this user may write it at all.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return false;
    Handle old(::CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!old.Valid()) return false;
    if (::GetFileType(old.Get()) != FILE_TYPE_DISK) {
      old.Close();
      return intoDevices && writeInto();
    }
  }

  const std::filesystem::path target(path);
  std::wstring temp;
  HANDLE made = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 100 && made == INVALID_HANDLE_VALUE; ++attempt) {
    temp = TemporaryName(target, attempt);
    made = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
    if (made == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
  }
  Handle file(made);
  // A folder the user may not write takes no temporary file.
  if (!file.Valid()) {
    return exists && FolderRefusesNewFiles(::GetLastError()) && WriteInPlace(path, content);
  }
  const bool written = WriteAll(file.Get(), content) && ::FlushFileBuffers(file.Get());
  if (!file.Close() || !written) {
    ::DeleteFileW(temp.c_str());
    return false;
  }
  // A hidden or system file stays so.
  if (exists) {
    const DWORD kept = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (kept != 0) ::SetFileAttributesW(temp.c_str(), kept);
  }
  if (!::MoveFileExW(temp.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    // Another program holding the file open without sharing its deletion stops the rename.
    const DWORD error = ::GetLastError();
    ::DeleteFileW(temp.c_str());
    return exists && (FolderRefusesNewFiles(error) || error == ERROR_SHARING_VIOLATION) &&
           WriteInPlace(path, content);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view content) {
  return Write(path, content, true);
}

bool WriteRegularFileAtomically(const std::string& path, std::string_view content) {
  return Write(path, content, false);
}

std::optional<std::string> ReadRegularFile(const std::string& requested, std::size_t maxBytes) {
  const std::wstring path = WideFromUtf8(requested);
  if (path.empty() || NamesADevice(path)) return std::nullopt;
  // A folder does not open without FILE_FLAG_BACKUP_SEMANTICS.
  Handle file(::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid() || ::GetFileType(file.Get()) != FILE_TYPE_DISK) return std::nullopt;
  std::string content;
  // Room for the whole file at once: a long file would otherwise be moved as it grows.
  if (LARGE_INTEGER size{}; ::GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0)
    content.reserve(std::min(static_cast<std::size_t>(size.QuadPart), maxBytes));
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    if (got > maxBytes - content.size()) return std::nullopt;
    content.append(chunk, got);
  }
  return content;
}

bool CreateNewFile(const std::string& path) {
  const std::wstring name = WideFromUtf8(path);
  if (name.empty() || NamesADevice(name)) return false;
  Handle file(::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.Valid() && file.Close();
}

}  // namespace qm17
