// libFuzzer target: any bytes at all handed to the archive reader must give a clean result, never
// a crash, an overflow or a runaway allocation. Nothing is written: the sink only checks.
// Input starting with 'T' goes to the entry-table parser alone, with the header's counts taken
// from the next bytes and its checksum put right, so mutations reach the checks behind it.
// Input starting with 'R' goes to the recipe decoder alone, as the stored bytes of one file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "lib/archive/memory_source.h"
#include "lib/archive/uha_format.h"
#include "lib/recompress/deflate_recipe.h"
#include "uhapack/posix_sink.h"

namespace {

class Silent : public uha::ExtractProgress {
  void OnEntry(const uha::Entry&, std::uint64_t, std::uint64_t) override {}
  void OnBytes(std::uint64_t, std::uint64_t) override {}
};

void FuzzTable(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kPrefix = 1 + 2 + 2 + 4;
  if (size < kPrefix) return;
  uha::Header header;
  header.block_count = data[1] | (data[2] << 8);
  header.entry_count = data[3] | (data[4] << 8);
  header.archive_size = data[5] | (data[6] << 8) | (data[7] << 16) | (std::uint64_t{data[8]} << 24);
  const std::vector<std::uint8_t> table(data + kPrefix, data + size);
  header.table_size = static_cast<std::uint32_t>(table.size());
  header.table_crc32 = uha::Crc32(table.data(), table.size());
  uha::Table decoded;
  uha::DecodeTable(header, table, decoded);
}

class Discard : public uha::ByteSink {
  uha::Status Put(const std::uint8_t*, std::size_t) override { return {}; }
};

void FuzzRecipe(const std::uint8_t* data, std::size_t size) {
  Discard discard;
  uha::RecipeDecoder decoder(discard);
  // In two pieces, as blocks hand files over in pieces.
  const std::size_t half = size / 2;
  if (decoder.Put(data, half).ok() && decoder.Put(data + half, size - half).ok()) decoder.End();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0 && data[0] == 'T') {
    FuzzTable(data, size);
    return 0;
  }
  if (size > 0 && data[0] == 'R') {
    FuzzRecipe(data + 1, size - 1);
    return 0;
  }
  uha::MemorySource source(data, size);
  uha::PosixSink check_only("");
  Silent silent;
  uha::ExtractArchive(source, check_only, silent);
  return 0;
}
