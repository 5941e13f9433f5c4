// Streaming extraction: every entry is handed to a sink that creates it. With one reader the
// archive is read once, front to back; with a second lane, two blocks are read at once. The whole
// table is checked before a sink sees anything.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lib/archive/uha_format.h"

namespace uha {

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

// A second reader of the same archive and a second sink into the same folder: with them, two
// blocks are decoded at once on two threads. Which files each writes depends on timing; what
// ends up on disk does not.
struct SecondLane {
  ByteSource& source;  // one that cannot seek leaves the whole archive to the first lane
  ExtractSink& sink;
  // Told of the second lane's entries and bytes, on its thread. The first lane's progress sees
  // the bytes of both.
  ExtractProgress& progress;
};

// Reads the header and table, then every block; each file's checksum is checked as it ends.
Status ExtractArchive(ByteSource& source, ExtractSink& sink, ExtractProgress& progress,
                      SecondLane* second = nullptr);

}  // namespace uha
