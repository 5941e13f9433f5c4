// On-disk layout of a UHA archive and the records shared by the packer and the extractor.
// All integers are little-endian; docs/uha-format.md describes the layout for other readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "lib/archive/byte_io.h"

namespace uha {

constexpr std::uint8_t kVersion = 3;
constexpr std::size_t kHeaderSize = 40;
constexpr std::size_t kBlockRecordSize = 32;
constexpr std::size_t kEntryFixedSize = 36;
constexpr std::size_t kMaxNameBytes = 1024;
constexpr std::uint32_t kMaxTableSize = 16u << 20;  // some 150,000 entries
constexpr std::uint32_t kMinDictSize = 4096;
// The extractor's memory is nearly all dictionaries: one lane holds one, two lanes two. Besides
// them each lane holds at most about 8 MiB (a rebuilt block's tokens and its record, zlib's state,
// buffers), and the process a few MiB more; all of it stays within 64 MiB.
constexpr std::uint32_t kMaxDictSize = 48u << 20;
constexpr std::uint64_t kTwoLaneDictBudget = 46u << 20;

enum class Filter : std::uint8_t { kLzma2 = 0, kX86Lzma2 = 1 };
enum class EntryKind : std::uint8_t { kFile = 0, kDirectory = 1 };
// How a file's bytes stand in its block: as they are, as a recipe (deflate_recipe.h), or as x86
// code with its call targets converted (x86_filter.h).
enum class Coding : std::uint8_t { kPlain = 0, kDeflateRecipe = 1, kX86 = 2 };

// Windows attribute bits kept in the archive; others are dropped on both sides.
constexpr std::uint32_t kAttrReadOnly = 0x01;
constexpr std::uint32_t kAttrHidden = 0x02;
constexpr std::uint32_t kAttrSystem = 0x04;
constexpr std::uint32_t kAttrMask = kAttrReadOnly | kAttrHidden | kAttrSystem;

// The latest time a Windows file can carry; later ones are refused by every reader alike.
constexpr std::uint64_t kMaxFileTime = INT64_MAX;

struct Entry {
  EntryKind kind = EntryKind::kFile;
  std::string name;  // UTF-8, '/' between components
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint64_t mtime = 0;  // 100 ns ticks since 1601-01-01 UTC (a Windows FILETIME)
  std::uint32_t crc32 = 0;   // of the content as extracted
  Coding coding = Coding::kPlain;
  std::uint64_t stored_size = 0;  // bytes in the block: size itself unless a recipe
};

struct Block {
  Filter filter = Filter::kLzma2;
  std::uint32_t dict_size = kMinDictSize;
  std::uint32_t entry_count = 0;  // files of this block, following the previous block's
  std::uint64_t packed_size = 0;
  std::uint64_t unpacked_size = 0;  // the stored sizes of its files
};

// Directories come first in the table, then the files of block 0, block 1, ...
struct Table {
  std::vector<Block> blocks;
  std::vector<Entry> entries;
};

struct Header {
  std::uint32_t entry_count = 0;
  std::uint32_t block_count = 0;
  std::uint32_t table_size = 0;         // the entry table as decoded
  std::uint32_t table_packed_size = 0;  // as stored: LZMA2, right after the header
  std::uint32_t table_crc32 = 0;
  std::uint64_t archive_size = 0;
};

std::uint32_t Crc32(const void* data, std::size_t size, std::uint32_t crc = 0);

void EncodeHeader(const Header& header, std::uint8_t out[kHeaderSize]);
Status DecodeHeader(const std::uint8_t in[kHeaderSize], Header& header);

std::vector<std::uint8_t> EncodeTable(const Table& table);
// The entry table is stored compressed (names repeat their folders over and over), with a
// dictionary that both sides derive from its size.
std::uint32_t TableDictSize(std::size_t table_size);
Status UnpackTable(const std::vector<std::uint8_t>& packed, std::uint32_t table_size,
                   std::vector<std::uint8_t>& table);
// Every name safe, no two names one on Windows, and no file where a folder is needed.
Status CheckNames(const std::vector<Entry>& entries);
// Checks every count, size, time and name; on success the table is safe to extract.
Status DecodeTable(const Header& header, const std::vector<std::uint8_t>& bytes, Table& table);

}  // namespace uha
