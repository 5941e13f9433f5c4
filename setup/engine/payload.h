#pragma once
#include <windows.h>

#include <memory>
#include <optional>

#include "lib/product/payload_record.h"

// Ids of the payload resources, of type "SETUP", inside the installer's own image.
constexpr WORD kArchiveResource = 132;
constexpr WORD kExtractorResource = 133;

// The facts the build recorded about the payload; nothing when they are missing or malformed.
std::optional<kelvamo::PayloadFacts> LoadPayloadFacts();
// True when both payload resources have the size and CRC-32 the facts record. Reads them in place.
bool PayloadMatchesFacts(const kelvamo::PayloadFacts& facts);

// A heap copy of one payload resource, written out byte for byte in a single write.
class PayloadCopy {
 public:
  // Copies the resource of the running program; false when it is missing or memory is short.
  bool Load(WORD resourceId);
  // Creates (or truncates) the file, writes the whole copy in one call and releases the copy.
  // False when the file cannot be created or not every byte reached it.
  bool WriteTo(const char* path);
  void Release();

 private:
  std::unique_ptr<char[]> m_bytes;
  DWORD m_size = 0;
};
