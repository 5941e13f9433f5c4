// libFuzzer target: any bytes at all handed to the archive reader must give a clean result, never
// a crash, an overflow or a runaway allocation. Nothing is written: the sink only checks.
#include <cstddef>
#include <cstdint>

#include "memory_source.h"
#include "posix_sink.h"

namespace {

class Silent : public uha::ExtractProgress {
  void OnEntry(const uha::Entry&, std::uint64_t, std::uint64_t) override {}
  void OnBytes(std::uint64_t, std::uint64_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  uha::MemorySource source(data, size);
  uha::PosixSink check_only("");
  Silent silent;
  uha::ExtractArchive(source, check_only, silent);
  return 0;
}
