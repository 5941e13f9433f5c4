#include "win32_sink.h"

namespace uharc {
namespace {

constexpr std::size_t kMaxPath = 32000;  // the \\?\ form allows 32,767 characters

uha::Status Failure(const char* what, const std::string& name) {
  const DWORD code = GetLastError();
  if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL) {
    return uha::Status::Fail(std::string(what) + " " + name + ": the disk is full");
  }
  return uha::Status::Fail(std::string(what) + " " + name + " (error " + std::to_string(code) +
                           ")");
}

}  // namespace

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                      &out[0], n);
  return out;
}

Win32Sink::~Win32Sink() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool Win32Sink::Init() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0 || n > kMaxPath) return false;
  std::wstring dir(n, L'\0');
  const DWORD got = GetCurrentDirectoryW(n, &dir[0]);
  if (got == 0 || got >= n) return false;
  dir.resize(got);
  while (!dir.empty() && dir.back() == L'\\') dir.pop_back();
  if (dir.compare(0, 4, L"\\\\?\\") == 0) {
    root_ = dir;
  } else if (dir.compare(0, 2, L"\\\\") == 0) {
    root_ = L"\\\\?\\UNC\\" + dir.substr(2);
  } else {
    root_ = L"\\\\?\\" + dir;
  }
  return true;
}

uha::Status Win32Sink::PathOf(const std::string& name, std::wstring& path) const {
  std::wstring wide = Widen(name);
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  path = root_ + L"\\" + wide;
  if (wide.empty() || path.size() > kMaxPath) return uha::Status::Fail("path too long: " + name);
  return {};
}

uha::Status Win32Sink::MakeOneDirectory(const std::string& name) {
  std::wstring path;
  uha::Status st = PathOf(name, path);
  if (!st.ok()) return st;
  if (CreateDirectoryW(path.c_str(), nullptr)) return {};
  const DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) return {};
  return Failure("cannot create folder", name);
}

uha::Status Win32Sink::MakeParents(const std::string& name) {
  for (std::size_t slash = name.find('/'); slash != std::string::npos;
       slash = name.find('/', slash + 1)) {
    uha::Status st = MakeOneDirectory(name.substr(0, slash));
    if (!st.ok()) return st;
  }
  return {};
}

uha::Status Win32Sink::MakeDirectory(const uha::Entry& entry) {
  uha::Status st = MakeParents(entry.name);
  return st.ok() ? MakeOneDirectory(entry.name) : st;
}

uha::Status Win32Sink::BeginFile(const uha::Entry& entry) {
  uha::Status st = MakeParents(entry.name);
  std::wstring path;
  if (st.ok()) st = PathOf(entry.name, path);
  if (!st.ok()) return st;
  const DWORD attrs = GetFileAttributesW(path.c_str());
  // -y: overwrite without asking. CREATE_ALWAYS refuses a read-only file, and a hidden or system
  // one unless the same bits are asked for, so those go first.
  const DWORD blocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & blocking)) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  file_ = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                      nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return Failure("cannot create", entry.name);
  current_ = entry.name;
  return {};
}

uha::Status Win32Sink::Write(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    DWORD written = 0;
    const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    if (!WriteFile(file_, data, chunk, &written, nullptr) || written == 0) {
      return Failure("cannot write", current_);
    }
    data += written;
    size -= written;
  }
  return {};
}

uha::Status Win32Sink::EndFile(const uha::Entry& entry) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(entry.mtime);
  ft.dwHighDateTime = static_cast<DWORD>(entry.mtime >> 32);
  const bool timed = SetFileTime(file_, nullptr, nullptr, &ft) != 0;
  const bool closed = CloseHandle(file_) != 0;
  file_ = INVALID_HANDLE_VALUE;
  if (!timed || !closed) return Failure("cannot finish", entry.name);
  std::wstring path;
  uha::Status st = PathOf(entry.name, path);
  if (st.ok() && entry.attributes != 0 && !SetFileAttributesW(path.c_str(), entry.attributes)) {
    return Failure("cannot set attributes of", entry.name);
  }
  return st;
}

void Win32Sink::AbandonFile(const uha::Entry& entry) {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  std::wstring path;
  if (PathOf(entry.name, path).ok()) DeleteFileW(path.c_str());
}

}  // namespace uharc
