// Packing: deflate streams that zlib reproduces are stored inflated, x86 code has its call targets
// converted where a trial shows that pays, files are grouped into solid blocks by kind (x86 code
// apart from the rest), ordered by extension and name, and compressed with LZMA2. The same inputs
// always give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lib/archive/uha_format.h"
#include "lib/recompress/deflate_scan.h"

namespace uha {

struct PackInput {
  Entry entry;              // name, kind, attributes and time; size and checksum are filled in
  std::string source_path;  // file on disk (empty for folders)
  std::vector<std::uint8_t> recipe;  // what the block holds instead of the file, if anything
  DeflateStats deflate;              // of the file's deflate streams
};

struct PackOptions {
  std::uint32_t preset = 9;
  bool extreme = true;
  // A group of files larger than this is cut into two blocks, decoded by the extractor at once.
  std::uint64_t split_above = 32u << 20;
};

struct PackSummary {
  std::uint64_t unpacked_size = 0;  // of the files as extracted
  std::uint64_t archive_size = 0;
  std::uint32_t extract_dict_size = 0;  // dictionaries extracting holds at once
  std::uint32_t x86_files = 0, x86_converted = 0;
  DeflateStats deflate;
};

// True for 32- and 64-bit x86 programs and libraries (PE or ELF), judged from their first bytes.
bool LooksLikeX86Code(const std::uint8_t* head, std::size_t size);

Status PackTable(const std::vector<std::uint8_t>& table, std::vector<std::uint8_t>& packed);

Status WriteArchive(std::vector<PackInput> inputs, const std::string& archive_path,
                    const PackOptions& options, PackSummary& summary);

}  // namespace uha
