// A ByteSource over an open stdio stream.
#pragma once

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

 private:
  std::FILE* file_;
};

}  // namespace uha
