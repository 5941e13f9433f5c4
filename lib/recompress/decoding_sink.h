// How the archive reader sees a coding of a file's bytes: a sink that takes the stored bytes in
// pieces of any size and passes the file's own bytes on. One object serves file after file, so the
// engines behind it are set up once, not once a file or a record.
#pragma once

#include "lib/archive/byte_io.h"

namespace uha {

class DecodingSink : public ByteSink {
 public:
  // The next file's bytes go to `out`; whatever the previous file left is dropped.
  virtual void Start(ByteSink& out) = 0;
  // The stored bytes have ended: the rest goes out, or an error says they ended too early.
  virtual Status End() = 0;
};

}  // namespace uha
