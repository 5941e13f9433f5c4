// A ByteSource over an open stdio stream.
#pragma once

#include <cstdint>
#include <cstdio>

#include "lib/archive/archive_reader.h"

namespace uha {

class StdioSource : public ByteSource {
 public:
  explicit StdioSource(std::FILE* file) : file_(file) {}
  bool Read(void* buffer, std::size_t want, std::size_t& got) override {
    got = std::fread(buffer, 1, want, file_);
    return got != 0 || !std::ferror(file_);
  }
  bool Seek(std::uint64_t offset) override {
#ifdef _WIN32
    return _fseeki64(file_, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
    return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
  }

 private:
  std::FILE* file_;
};

}  // namespace uha
