#pragma once
#include <windows.h>

#include <memory>
#include <optional>

#include "lib/archive/uha_format.h"
#include "lib/product/payload_record.h"

// What a damaged installer says before it ends, having written nothing.
constexpr char kPayloadDamaged[] =
    "安装程序已损坏（下载不完整或复制出错），无法安装。请重新下载安装程序。";

// Ids of the payload resources, of type "SETUP", inside the installer's own image.
constexpr WORD kArchiveResource = 132;
constexpr WORD kExtractorResource = 133;

// The facts the build recorded about the payload; nothing when they are missing or malformed.
std::optional<kelvamo::PayloadFacts> LoadPayloadFacts();
// True when both payload resources have the size and CRC-32 the facts record. Reads them in place.
bool PayloadMatchesFacts(const kelvamo::PayloadFacts& facts);

// The archive's entry table, read from the resource; nothing when it cannot be read.
std::optional<uha::Table> PayloadTable();

// A heap copy of one payload resource, written out byte for byte in a single write.
class PayloadCopy {
 public:
  // Copies the resource of the running program; false when it is missing or memory is short.
  bool Load(WORD resourceId);
  const char* Bytes() const { return m_bytes.get(); }
  DWORD Size() const { return m_size; }
  void Release();

 private:
  std::unique_ptr<char[]> m_bytes;
  DWORD m_size = 0;
};
