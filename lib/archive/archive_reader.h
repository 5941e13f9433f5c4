// Streaming extraction: the archive is read once, front to back, and every entry is handed to a
// sink that creates it. The whole table is checked before the sink sees anything.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lib/archive/uha_format.h"

namespace uha {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `want` bytes; `got` is 0 only at the end. False on a read error.
  virtual bool Read(void* buffer, std::size_t want, std::size_t& got) = 0;
};

class ExtractSink {
 public:
  virtual ~ExtractSink() = default;
  virtual Status MakeDirectory(const Entry& entry) = 0;
  virtual Status BeginFile(const Entry& entry) = 0;
  virtual Status Write(const std::uint8_t* data, std::size_t size) = 0;
  // Closes the file and gives it the entry's time and attributes.
  virtual Status EndFile(const Entry& entry) = 0;
  // Closes and removes a file whose content turned out wrong or incomplete.
  virtual void AbandonFile(const Entry& entry) = 0;
};

class ExtractProgress {
 public:
  virtual ~ExtractProgress() = default;
  virtual void OnEntry(const Entry& entry, std::uint64_t done, std::uint64_t total) = 0;
  virtual void OnBytes(std::uint64_t done, std::uint64_t total) = 0;
};

class NoProgress : public ExtractProgress {
  void OnEntry(const Entry&, std::uint64_t, std::uint64_t) override {}
  void OnBytes(std::uint64_t, std::uint64_t) override {}
};

// Reads and checks the header and entry table only.
Status ReadTable(ByteSource& source, Table& table);

// Reads the header and table, then every block; each file's checksum is checked as it ends.
Status ExtractArchive(ByteSource& source, ExtractSink& sink, ExtractProgress& progress);

}  // namespace uha
