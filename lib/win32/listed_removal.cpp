#include "lib/win32/listed_removal.h"

#include <winternl.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lib/win32/wide_path.h"
#include "shared/kelvamo_product.h"

namespace {

// A list larger than this is not one the packer wrote.
constexpr DWORD kMaxListBytes = 64u << 20;

// Not every toolchain's headers carry these.
constexpr NTSTATUS kStatusCannotDelete = static_cast<NTSTATUS>(0xC0000121L);
constexpr NTSTATUS kStatusNameNotFound = static_cast<NTSTATUS>(0xC0000034L);
constexpr NTSTATUS kStatusPathNotFound = static_cast<NTSTATUS>(0xC000003AL);
constexpr auto kFileBasicInformation = static_cast<FILE_INFORMATION_CLASS>(4);
constexpr auto kFileDispositionInformation = static_cast<FILE_INFORMATION_CLASS>(13);
constexpr auto kFileRenameInformation = static_cast<FILE_INFORMATION_CLASS>(10);
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

struct BasicInformation {
  LARGE_INTEGER creation, lastAccess, lastWrite, change;
  ULONG attributes;
};

enum class Found { kYes, kAbsent, kRefused };

struct Opened {
  Found found = Found::kRefused;
  HANDLE handle = nullptr;
};

class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : m_handle(handle) {}
  ~Handle() {
    if (m_handle) CloseHandle(m_handle);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return m_handle; }
  void reset(HANDLE handle) {
    if (m_handle) CloseHandle(m_handle);
    m_handle = handle;
  }

 private:
  HANDLE m_handle;
};

// The system's name for an open object: "\Device\HarddiskVolume1\...", under Wine "\??\C:\...",
// with every link resolved under Wine.
std::wstring ObjectName(HANDLE handle) {
  std::vector<std::uint64_t> buffer(512);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const ULONG size = static_cast<ULONG>(buffer.size() * sizeof(buffer[0]));
    ULONG needed = 0;
    const NTSTATUS status =
        NtQueryObject(handle, ObjectNameInformation, buffer.data(), size, &needed);
    if (NT_SUCCESS(status)) {
      const UNICODE_STRING* name = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
      return std::wstring(name->Buffer, name->Length / sizeof(wchar_t));
    }
    if (needed <= size) break;
    buffer.resize(needed / sizeof(buffer[0]) + 1);
  }
  return L"";
}

bool SameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()),
                        b.c_str(), static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool IsReparsePoint(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  return !GetFileInformationByHandle(handle, &info) ||
         (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Whether the object open is the one `expectedName` names, with no link on the way.
bool IsWhatPathNames(HANDLE handle, const std::wstring& expectedName) {
  if (IsReparsePoint(handle)) return false;
  const std::wstring name = ObjectName(handle);
  return !name.empty() && SameText(name, expectedName);
}

Opened OpenChild(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG options,
                 ULONG share = kShareAll, ULONG disposition = FILE_OPEN) {
  UNICODE_STRING text;
  text.Buffer = const_cast<PWSTR>(name.c_str());
  text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, parent, nullptr);
  IO_STATUS_BLOCK io;
  HANDLE handle = nullptr;
  const ULONG how = options | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_REPARSE_POINT;
  const NTSTATUS status = NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr,
                                       FILE_ATTRIBUTE_NORMAL, share, disposition, how, nullptr, 0);
  if (NT_SUCCESS(status)) return {Found::kYes, handle};
  // Callers that report why a name stays read it from the last error.
  SetLastError(RtlNtStatusToDosError(status));
  const bool absent = status == kStatusNameNotFound || status == kStatusPathNotFound;
  return {absent ? Found::kAbsent : Found::kRefused, nullptr};
}

bool MarkForDeletion(HANDLE handle) {
  BOOLEAN remove = TRUE;
  IO_STATUS_BLOCK io;
  NTSTATUS status = NtSetInformationFile(handle, &io, &remove, sizeof(remove),
                                         kFileDispositionInformation);
  if (!NT_SUCCESS(status)) SetLastError(RtlNtStatusToDosError(status));
  if (status != kStatusCannotDelete) return NT_SUCCESS(status);
  // Read-only: cleared on this very file, then asked again.
  BasicInformation basic = {};
  if (!NT_SUCCESS(NtQueryInformationFile(handle, &io, &basic, sizeof(basic),
                                         kFileBasicInformation))) {
    return false;
  }
  basic.attributes &= ~static_cast<ULONG>(FILE_ATTRIBUTE_READONLY);
  if (basic.attributes == 0) basic.attributes = FILE_ATTRIBUTE_NORMAL;
  status = NtSetInformationFile(handle, &io, &basic, sizeof(basic),
                                kFileBasicInformation);
  return NT_SUCCESS(status) &&
         NT_SUCCESS(NtSetInformationFile(handle, &io, &remove, sizeof(remove),
                                         kFileDispositionInformation));
}

// The folder at `path`, opened without following a link and with `access` besides what reading
// needs; null when it is missing, not a folder, or a link.
HANDLE OpenFolder(const std::wstring& path, DWORD access, DWORD share = kShareAll) {
  const std::wstring extended = ExtendedPath(path);
  // Wine follows a link to a folder even when asked not to, but shows it as a reparse point here.
  const DWORD attributes = GetFileAttributesW(extended.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return nullptr;
  }
  HANDLE handle = CreateFileW(
      extended.c_str(), access | FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES |
      SYNCHRONIZE, share, nullptr, OPEN_EXISTING,
      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) !=
          FILE_ATTRIBUTE_DIRECTORY) {
    CloseHandle(handle);
    return nullptr;
  }
  return handle;
}

// Walks `name` below the folder, checking every component; the last one is opened with `access`,
// `options`, `share` and `disposition`.
Opened OpenListed(HANDLE folder, const std::wstring& folderName, const std::wstring& name,
                  ACCESS_MASK access, ULONG options, ULONG share = kShareAll,
                  ULONG disposition = FILE_OPEN) {
  if (!folder || name.empty()) return {};
  Handle parent;
  HANDLE current = folder;
  for (size_t start = 0;;) {
    const size_t end = name.find(L'\\', start);
    const bool last = end == std::wstring::npos;
    Opened opened = last ? OpenChild(current, name.substr(start), access, options, share,
                                     disposition)
                         : OpenChild(current, name.substr(start, end - start),
                                     FILE_TRAVERSE | FILE_READ_ATTRIBUTES, FILE_DIRECTORY_FILE);
    if (opened.found != Found::kYes) return opened;
    if (!IsWhatPathNames(opened.handle, folderName + L'\\' + name.substr(0, end))) {
      CloseHandle(opened.handle);
      SetLastError(kRefusedLink);
      return {};
    }
    if (last) return opened;
    parent.reset(opened.handle);
    current = opened.handle;
    start = end + 1;
  }
}

}  // namespace

ListedFolder::~ListedFolder() {
  if (m_handle) CloseHandle(m_handle);
}

bool ListedFolder::Open(const std::wstring& path) { return OpenSharing(path, kShareAll); }

// Without delete sharing nobody can rename or delete the folder while it is open.
bool ListedFolder::Hold(const std::wstring& path) {
  return OpenSharing(path, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

bool ListedFolder::OpenSharing(const std::wstring& path, DWORD share) {
  std::wstring folder = path;
  while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
  HANDLE handle = OpenFolder(folder, 0, share);
  const std::wstring name = handle ? ObjectName(handle) : L"";
  if (name.empty()) {
    if (handle) CloseHandle(handle);
    return false;
  }
  if (m_handle) CloseHandle(m_handle);
  m_handle = handle;
  m_path = folder;
  m_name = name;
  return true;
}

void ListedFolder::Release() {
  if (m_handle) CloseHandle(m_handle);
  m_handle = nullptr;
}

bool ListedFolder::SameAs(const ListedFolder& other) const {
  return m_handle && other.m_handle && SameFileObject(m_handle, other.m_handle);
}

std::optional<std::string> ListedFolder::Read(const std::wstring& name, DWORD maxBytes) const {
  const Opened opened = OpenListed(m_handle, m_name, name, FILE_READ_DATA | FILE_READ_ATTRIBUTES,
                                   FILE_NON_DIRECTORY_FILE);
  if (opened.found != Found::kYes) return std::nullopt;
  Handle file(opened.handle);
  const DWORD size = GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE || size > maxBytes) return std::nullopt;
  std::string text(size, '\0');
  DWORD count = 0;
  if (size > 0 && (!ReadFile(file.get(), &text[0], size, &count, nullptr) || count != size)) {
    return std::nullopt;
  }
  return text;
}

std::optional<std::uint64_t> ListedFolder::FileSize(const std::wstring& name) const {
  const Opened opened =
      OpenListed(m_handle, m_name, name, FILE_READ_ATTRIBUTES, FILE_NON_DIRECTORY_FILE);
  if (opened.found != Found::kYes) return std::nullopt;
  Handle file(opened.handle);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool ListedFolder::IsFolder(const std::wstring& name) const {
  const Opened opened =
      OpenListed(m_handle, m_name, name, FILE_READ_ATTRIBUTES, FILE_DIRECTORY_FILE);
  if (opened.found != Found::kYes) return false;
  CloseHandle(opened.handle);
  return true;
}

bool ListedFolder::RemoveFile(const std::wstring& name) const {
  const Opened opened = OpenListed(m_handle, m_name, name,
                                   DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                   FILE_NON_DIRECTORY_FILE);
  if (opened.found != Found::kYes) return opened.found == Found::kAbsent;
  Handle file(opened.handle);
  return MarkForDeletion(file.get());
}

bool ListedFolder::RemoveFolder(const std::wstring& name) const {
  const Opened opened =
      OpenListed(m_handle, m_name, name, DELETE | FILE_READ_ATTRIBUTES, FILE_DIRECTORY_FILE);
  if (opened.found != Found::kYes) return opened.found == Found::kAbsent;
  Handle folder(opened.handle);
  return MarkForDeletion(folder.get());  // refused while anything is in it
}

bool ListedFolder::RemoveItself() const {
  if (!m_handle) return false;
  // Asked for now, not when opened: a process whose current folder it is would refuse the open.
  Handle folder(OpenFolder(m_path, DELETE));
  return folder.get() && SameFileObject(folder.get(), m_handle) && MarkForDeletion(folder.get());
}

HANDLE ListedFolder::CreateNewFile(const std::wstring& name) const {
  if (!m_handle || name.find(L'\\') != std::wstring::npos) return nullptr;
  const Opened made = OpenChild(m_handle, name, GENERIC_WRITE | GENERIC_READ | DELETE,
                                FILE_NON_DIRECTORY_FILE, 0, FILE_CREATE);
  return made.found == Found::kYes ? made.handle : nullptr;
}

bool ListedFolder::RenameInto(HANDLE file, const std::wstring& name) const {
  if (name.find(L'\\') != std::wstring::npos) return false;
  return RenameBelow(file, name);
}

bool ListedFolder::RenameBelow(HANDLE file, const std::wstring& name) const {
  if (!m_handle || name.empty()) return false;
  const ULONG nameBytes = static_cast<ULONG>(name.size() * sizeof(wchar_t));
  // The platform's FILE_RENAME_INFORMATION: the name starts at the member's own offset, not
  // after the padded head.
  struct RenameInformation {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG fileNameLength;
    WCHAR fileName[1];
  };
  const size_t nameOffset = offsetof(RenameInformation, fileName);
  std::vector<std::uint8_t> buffer(nameOffset + nameBytes + sizeof(wchar_t));
  const RenameInformation head = {TRUE, m_handle, nameBytes, {0}};
  std::memcpy(buffer.data(), &head, nameOffset);
  std::memcpy(buffer.data() + nameOffset, name.c_str(), nameBytes);
  IO_STATUS_BLOCK io;
  const NTSTATUS status = NtSetInformationFile(file, &io, buffer.data(),
                                               static_cast<ULONG>(buffer.size()),
                                               kFileRenameInformation);
  if (!NT_SUCCESS(status)) SetLastError(RtlNtStatusToDosError(status));
  return NT_SUCCESS(status);
}

bool ListedFolder::MakeFolder(const std::wstring& name) const {
  const Opened made = OpenListed(m_handle, m_name, name, FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                 FILE_DIRECTORY_FILE, kShareAll, FILE_OPEN_IF);
  // The folders on the way must be there for the walk: made one level at a time from the top.
  if (made.found == Found::kAbsent) {
    const size_t parent = name.rfind(L'\\');
    return parent != std::wstring::npos && MakeFolder(name.substr(0, parent)) && MakeFolder(name);
  }
  if (made.found != Found::kYes) return false;
  CloseHandle(made.handle);
  return true;
}

bool ListedFolder::MoveWithin(const std::wstring& from, const std::wstring& to) const {
  const Opened opened = OpenListed(m_handle, m_name, from, DELETE | FILE_READ_ATTRIBUTES,
                                   FILE_NON_DIRECTORY_FILE, 0);
  if (opened.found != Found::kYes) return false;
  Handle file(opened.handle);
  const size_t parent = to.rfind(L'\\');
  return (parent == std::wstring::npos || MakeFolder(to.substr(0, parent))) &&
         RenameBelow(file.get(), to);
}

bool ListedFolder::InUse(const std::wstring& name) const {
  const Opened opened = OpenListed(m_handle, m_name, name, DELETE | FILE_READ_ATTRIBUTES,
                                   FILE_NON_DIRECTORY_FILE, 0);
  if (opened.found == Found::kYes) {
    CloseHandle(opened.handle);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION || GetLastError() == ERROR_LOCK_VIOLATION;
}

HANDLE ListedFolder::OpenHeld(const std::wstring& name, ACCESS_MASK access) const {
  if (!m_handle || name.find(L'\\') != std::wstring::npos) return nullptr;
  const Opened opened = OpenChild(m_handle, name, access | FILE_READ_ATTRIBUTES,
                                  FILE_NON_DIRECTORY_FILE, FILE_SHARE_READ);
  return opened.found == Found::kYes ? opened.handle : nullptr;
}

bool ListedFolder::IsOnlyName(HANDLE file, const std::wstring& name) const {
  BY_HANDLE_FILE_INFORMATION info;
  return m_handle && IsWhatPathNames(file, m_name + L'\\' + name) &&
         GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1;
}

bool DeleteThrough(HANDLE file) { return MarkForDeletion(file); }

RemovalLeft RemovePlanned(const ListedFolder& folder, const kelvamo::RemovalPlan& plan) {
  RemovalLeft left;
  for (const std::string& name : plan.files) {
    if (folder.RemoveFile(ListedName(name))) continue;
    left.fileErrors.push_back(GetLastError());  // RemoveFile leaves why
    left.files.push_back(name);
  }
  for (const std::string& name : plan.folders) {
    if (!folder.RemoveFolder(ListedName(name))) left.folders.push_back(name);
  }
  return left;
}

bool SameFileObject(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION first, second;
  return GetFileInformationByHandle(a, &first) && GetFileInformationByHandle(b, &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

std::wstring ListedName(const std::string& name) {
  std::wstring wide = WidenUtf8(name);
  for (wchar_t& c : wide) c = c == L'/' ? L'\\' : c;
  return wide;
}

std::optional<std::vector<kelvamo::ListedEntry>> ReadInstalledList(const ListedFolder& folder) {
  const auto text = folder.Read(ListedName(kelvamo::kInstalledListFile), kMaxListBytes);
  if (!text) return std::nullopt;
  return kelvamo::ParseInstalledList(*text);
}
