#include "setup/engine/payload.h"

#include <cstring>
#include <new>

#include "lib/archive/archive_reader.h"
#include "lib/archive/memory_source.h"

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

std::optional<uha::Table> PayloadTable() {
  DWORD size = 0;
  const void* bytes = ResourceBytes(kArchiveResource, &size);
  if (bytes == nullptr) return std::nullopt;
  uha::MemorySource source(static_cast<const std::uint8_t*>(bytes), size);
  uha::Table table;
  if (!uha::ReadTable(source, table).ok()) return std::nullopt;
  return table;
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

void PayloadCopy::Release() {
  m_bytes.reset();
  m_size = 0;
}
