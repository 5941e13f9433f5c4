#include "uharc/win32_sink.h"

#include <cstring>
#include <vector>

#include "lib/win32/wide_path.h"
#include "shared/kelvamo_product.h"

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

// Digits of a number: std::to_wstring would pull in the wide printf machinery.
std::wstring Digits(unsigned n) {
  const std::string narrow = std::to_string(n);
  return std::wstring(narrow.begin(), narrow.end());
}

}  // namespace

Win32Sink::~Win32Sink() {
  DropTemporary();
  if (folder_ != INVALID_HANDLE_VALUE) CloseHandle(folder_);
}

// Removed through its handle: no name is looked up again.
void Win32Sink::DropTemporary() {
  if (file_ == INVALID_HANDLE_VALUE) return;
  FILE_DISPOSITION_INFORMATION dispose = {TRUE};
  IO_STATUS_BLOCK io;
  NtSetInformationFile(file_, &io, &dispose, sizeof dispose, FileDispositionInformation);
  CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
}

bool Win32Sink::Init() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0 || n > kMaxPath) return false;
  std::wstring dir(n, L'\0');
  const DWORD got = GetCurrentDirectoryW(n, &dir[0]);
  if (got == 0 || got >= n) return false;
  dir.resize(got);
  while (!dir.empty() && dir.back() == L'\\') dir.pop_back();
  root_ = ExtendedPath(dir);
  return true;
}

uha::Status Win32Sink::PathOf(std::string_view name, std::wstring& path) const {
  std::wstring wide = WidenUtf8(std::string(name));
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  path = root_;
  if (!wide.empty()) path += L"\\" + wide;
  if (wide.empty() != name.empty() || path.size() > kMaxPath) {
    return uha::Status::Fail("path too long: " + std::string(name));
  }
  return {};
}

// A folder already there is used only if it is a real one. Junctions and symbolic links carry the
// reparse-point flag, and so does a Unix link to a folder under Wine.
uha::Status Win32Sink::MakeFolder(const std::string& name) const {
  std::wstring path;
  uha::Status st = PathOf(name, path);
  if (!st.ok() || CreateDirectoryW(path.c_str(), nullptr)) return st;
  const DWORD attrs = GetFileAttributesW(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) {
    return Failure("cannot create folder", name);
  }
  if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) {
    return uha::Status::Fail("will not write through the link " + name);
  }
  return {};
}

uha::Status Win32Sink::MakeDirectory(const uha::Entry& entry) {
  return folders_.Ensure(entry.name, [this](const std::string& f) { return MakeFolder(f); });
}

uha::Status Win32Sink::OpenFolder(std::string_view folder) {
  if (folder_ != INVALID_HANDLE_VALUE && folder == folder_name_) return {};
  if (folder_ != INVALID_HANDLE_VALUE) CloseHandle(folder_);
  std::wstring path;
  uha::Status st = PathOf(folder, path);
  if (!st.ok()) return st;
  // Opened as it stands, not followed: a junction put in the folder's place since it was checked
  // shows here and is refused.
  folder_ = CreateFileW(
      path.c_str(), FILE_TRAVERSE | FILE_ADD_FILE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  folder_name_ = folder;
  if (folder_ == INVALID_HANDLE_VALUE) return Failure("cannot open folder", folder_name_);
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(folder_, &info))
    return Failure("cannot open folder", folder_name_);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return uha::Status::Fail("will not write through the link " + folder_name_);
  }
  return {};
}

uha::Status Win32Sink::BeginFile(const uha::Entry& entry) {
  const std::string_view folder = uha::FolderOf(entry.name);
  uha::Status st = folders_.Ensure(folder, [this](const std::string& f) { return MakeFolder(f); });
  if (st.ok()) st = OpenFolder(folder);
  if (!st.ok()) return st;
  // A fresh name that nothing stands at yet: FILE_CREATE refuses even a dangling link. The name is
  // too long for the 8.3 shape, so it cannot alias another file.
  const std::wstring prefix = WidenUtf8(kelvamo::kExtractorTemporaryPrefix) +
                              Digits(GetCurrentProcessId()) + L"-";
  NTSTATUS status;
  do {
    std::wstring leaf = prefix + Digits(temporaries_++) + L".tmp";
    UNICODE_STRING name = {static_cast<USHORT>(leaf.size() * sizeof(wchar_t)),
                           static_cast<USHORT>(leaf.size() * sizeof(wchar_t)), &leaf[0]};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &name, OBJ_CASE_INSENSITIVE, folder_, nullptr);
    IO_STATUS_BLOCK io;
    status = NtCreateFile(&file_, GENERIC_WRITE | DELETE | SYNCHRONIZE, &attributes, &io, nullptr,
                          FILE_ATTRIBUTE_NORMAL, 0, FILE_CREATE,
                          FILE_NON_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  } while (status == static_cast<NTSTATUS>(0xC0000035));  // STATUS_OBJECT_NAME_COLLISION
  if (status < 0) {
    file_ = INVALID_HANDLE_VALUE;
    SetLastError(RtlNtStatusToDosError(status));
    return Failure("cannot create", entry.name);
  }
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

// Gives the open temporary file its entry's name in its folder, replacing what stands there.
NTSTATUS Win32Sink::Rename(const std::wstring& leaf) {
  const std::size_t bytes = leaf.size() * sizeof(wchar_t);
  std::vector<std::uint8_t> buffer(sizeof(FILE_RENAME_INFORMATION) + bytes);
  auto* info = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
  info->ReplaceIfExists = TRUE;
  info->RootDirectory = folder_;
  info->FileNameLength = static_cast<ULONG>(bytes);
  std::memcpy(info->FileName, leaf.data(), bytes);
  IO_STATUS_BLOCK io;
  return NtSetInformationFile(file_, &io, info, static_cast<ULONG>(buffer.size()),
                              FileRenameInformation);
}

// The checked file takes the entry's name in one step: a file, link or hard link standing there
// is replaced, not written through, and an old file stays whole until then.
uha::Status Win32Sink::Replace(const std::string& name) {
  const std::wstring leaf = WidenUtf8(name.substr(name.rfind('/') + 1));
  NTSTATUS status = Rename(leaf);
  if (status >= 0) return {};
  SetLastError(RtlNtStatusToDosError(status));
  if (GetLastError() != ERROR_ACCESS_DENIED) return Failure("cannot create", name);
  // -y: a read-only, hidden or system file gives way too, but only a plain one: the flags of a
  // link's target or of data another name shares are not ours to change.
  std::wstring path;
  uha::Status st = PathOf(name, path);
  if (!st.ok()) return st;
  HANDLE old = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  BY_HANDLE_FILE_INFORMATION info;
  const bool plain = old != INVALID_HANDLE_VALUE && GetFileInformationByHandle(old, &info) &&
                     info.nNumberOfLinks == 1 &&
                     !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
  if (old != INVALID_HANDLE_VALUE) CloseHandle(old);
  if (plain && SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) && Rename(leaf) >= 0) {
    return {};
  }
  SetLastError(ERROR_ACCESS_DENIED);
  return Failure("cannot create", name);
}

uha::Status Win32Sink::EndFile(const uha::Entry& entry) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(entry.mtime);
  ft.dwHighDateTime = static_cast<DWORD>(entry.mtime >> 32);
  uha::Status st = SetFileTime(file_, nullptr, nullptr, &ft) ? Replace(entry.name)
                                                             : Failure("cannot finish", entry.name);
  if (!st.ok()) {
    DropTemporary();
    return st;
  }
  const bool closed = CloseHandle(file_) != 0;
  file_ = INVALID_HANDLE_VALUE;
  if (!closed) return Failure("cannot finish", entry.name);
  std::wstring path;
  st = PathOf(entry.name, path);
  if (st.ok() && entry.attributes != 0 && !SetFileAttributesW(path.c_str(), entry.attributes)) {
    return Failure("cannot set attributes of", entry.name);
  }
  return st;
}

void Win32Sink::AbandonFile(const uha::Entry&) { DropTemporary(); }

}  // namespace uharc
