// What every archive and recompression layer passes around: a result, a source of bytes and a sink
// for them. Nothing here knows the archive format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace uha {

// Result of an operation: empty error means success.
struct Status {
  std::string error;
  bool ok() const { return error.empty(); }
  static Status Fail(std::string message) { return Status{std::move(message)}; }
};

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `want` bytes; `got` is 0 only at the end. False on a read error.
  virtual bool Read(void* buffer, std::size_t want, std::size_t& got) = 0;
  // Goes to `offset` bytes from the start; false when the source cannot.
  virtual bool Seek(std::uint64_t /*offset*/) { return false; }
};

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual Status Put(const std::uint8_t* data, std::size_t size) = 0;
};

}  // namespace uha
