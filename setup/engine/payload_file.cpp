#include "setup/engine/payload_file.h"

#include <memory>
#include <new>

#include "lib/product/payload_record.h"
#include "lib/win32/listed_removal.h"
#include "lib/win32/wide_path.h"
#include "shared/kelvamo_product.h"

namespace {

constexpr DWORD kReadChunk = 1u << 20;
// Names are tried until one is free; a folder holding this many of ours is not worth more tries.
constexpr int kTemporaryNameAttempts = 100;

std::wstring Decimal(unsigned long value) {
  std::wstring text;
  do {
    text.insert(text.begin(), static_cast<wchar_t>(L'0' + value % 10));
    value /= 10;
  } while (value != 0);
  return text;
}

// A new file of the installer's own in the folder, under a name nothing stands at.
HANDLE CreateTemporary(const ListedFolder& folder) {
  const std::wstring stem =
      WidenUtf8(kelvamo::kSetupTemporaryPrefix) + Decimal(GetCurrentProcessId()) + L'-';
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    HANDLE file = folder.CreateNewFile(stem + Decimal(static_cast<unsigned long>(attempt)) + L".tmp");
    if (file) return file;
  }
  return nullptr;
}

bool WriteAll(HANDLE file, const void* bytes, DWORD size) {
  DWORD written = 0;
  return WriteFile(file, bytes, size, &written, nullptr) && written == size;
}

}  // namespace

HeldPayloadFile::~HeldPayloadFile() { Close(); }

void HeldPayloadFile::Close() {
  if (m_handle) CloseHandle(m_handle);
  m_handle = nullptr;
}

bool HeldPayloadFile::Write(const ListedFolder& folder, const std::wstring& name,
                            const void* bytes, DWORD size, std::uint64_t expectedBytes,
                            std::uint32_t expectedCrc, Hold hold) {
  Close();
  m_name = name;
  m_hold = hold;
  HANDLE writer = CreateTemporary(folder);
  if (!writer) return false;
  BY_HANDLE_FILE_INFORMATION written;
  if (!WriteAll(writer, bytes, size) || !folder.RenameInto(writer, name) ||
      !GetFileInformationByHandle(writer, &written)) {
    DeleteThrough(writer);  // under whichever name it has now
    CloseHandle(writer);
    return false;
  }
  m_volume = written.dwVolumeSerialNumber;
  m_indexHigh = written.nFileIndexHigh;
  m_indexLow = written.nFileIndexLow;
  // Sharing is fixed when a handle opens, and a holder that shares no writing cannot open while a
  // writer is open. Whatever happened to the name in between is caught by the checks below.
  CloseHandle(writer);
  const ACCESS_MASK access = hold == Hold::kReadAndDelete ? GENERIC_READ | DELETE : GENERIC_READ;
  m_handle = folder.OpenHeld(name, access);
  if (!m_handle) return false;
  if (!SameFile(m_handle) || !folder.IsOnlyName(m_handle, name) ||
      !HoldsPayload(expectedBytes, expectedCrc)) {
    // Not the file written: it is someone else's, and stays.
    Close();
    return false;
  }
  return true;
}

bool HeldPayloadFile::SameFile(HANDLE file) const {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(file, &info) && info.dwVolumeSerialNumber == m_volume &&
         info.nFileIndexHigh == m_indexHigh && info.nFileIndexLow == m_indexLow;
}

bool HeldPayloadFile::HoldsPayload(std::uint64_t expectedBytes, std::uint32_t expectedCrc) const {
  LARGE_INTEGER size, start = {};
  if (!GetFileSizeEx(m_handle, &size) || static_cast<std::uint64_t>(size.QuadPart) != expectedBytes ||
      !SetFilePointerEx(m_handle, start, nullptr, FILE_BEGIN)) {
    return false;
  }
  std::unique_ptr<char[]> chunk(new (std::nothrow) char[kReadChunk]);
  if (!chunk) return false;
  std::uint32_t crc = 0;
  std::uint64_t total = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(m_handle, chunk.get(), kReadChunk, &got, nullptr)) return false;
    if (got == 0) break;
    crc = kelvamo::PayloadCrc32(chunk.get(), got, crc);
    total += got;
  }
  return total == expectedBytes && crc == expectedCrc;
}

bool HeldPayloadFile::Delete(const ListedFolder& folder) {
  if (!m_handle) return true;
  if (m_hold == Hold::kReadAndDelete) {
    const bool deleted = DeleteThrough(m_handle);
    Close();
    return deleted;
  }
  // A holder that shares no deleting keeps out a deleter of our own too: it lets go first, and
  // only the file it held is deleted, whatever the name may name by then.
  Close();
  HANDLE deleter = folder.OpenHeld(m_name, DELETE);
  if (!deleter) return false;
  const bool deleted = SameFile(deleter) && DeleteThrough(deleter);
  CloseHandle(deleter);
  return deleted;
}
