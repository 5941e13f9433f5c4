#include "setup/engine/payload.h"

#include <cstring>
#include <new>

namespace {

// The bytes of one "SETUP" resource of the running program, in place; null when it is missing.
const void* ResourceBytes(WORD resourceId, DWORD* size) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "SETUP");
  if (resource == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(module, resource);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  *size = bytes ? SizeofResource(module, resource) : 0;
  return bytes;
}

bool ResourceMatches(WORD resourceId, std::uint64_t recordedBytes, std::uint32_t recordedCrc) {
  DWORD size = 0;
  const void* bytes = ResourceBytes(resourceId, &size);
  return bytes != nullptr && kelvamo::MatchesRecord(bytes, size, recordedBytes, recordedCrc);
}

}  // namespace

std::optional<kelvamo::PayloadFacts> LoadPayloadFacts() {
  DWORD size = 0;
  const void* bytes = ResourceBytes(kelvamo::kPayloadFactsResource, &size);
  return bytes ? kelvamo::DecodePayloadFacts(bytes, size) : std::nullopt;
}

bool PayloadMatchesFacts(const kelvamo::PayloadFacts& facts) {
  return ResourceMatches(kArchiveResource, facts.archive_bytes, facts.archive_crc32) &&
         ResourceMatches(kExtractorResource, facts.extractor_bytes, facts.extractor_crc32);
}

bool PayloadCopy::Load(WORD resourceId) {
  Release();
  DWORD size = 0;
  const void* bytes = ResourceBytes(resourceId, &size);
  if (bytes == nullptr) return false;
  m_bytes.reset(new (std::nothrow) char[size]);
  if (!m_bytes) return false;
  std::memcpy(m_bytes.get(), bytes, size);
  m_size = size;
  return true;
}

bool PayloadCopy::WriteTo(const char* path) {
  if (!m_bytes) return false;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool written = false;
  if (file != INVALID_HANDLE_VALUE) {
    DWORD count = 0;
    written = WriteFile(file, m_bytes.get(), m_size, &count, nullptr) && count == m_size;
    written = CloseHandle(file) && written;
  }
  Release();
  return written;
}

void PayloadCopy::Release() {
  m_bytes.reset();
  m_size = 0;
}
