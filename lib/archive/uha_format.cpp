#include "lib/archive/uha_format.h"

#include <lzma.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "lib/archive/entry_name.h"
#include "lib/archive/le_bytes.h"

namespace uha {
namespace {

constexpr std::uint8_t kMagic[3] = {'U', 'H', 'A'};

// Sum that refuses to wrap around.
bool AddChecked(std::uint64_t& total, std::uint64_t add) {
  if (add > UINT64_MAX - total) return false;
  total += add;
  return true;
}

Status Bad(const std::string& what) { return Status::Fail("damaged archive: " + what); }

Status DecodeBlocks(const std::uint8_t* p, Table& table, std::size_t count) {
  table.blocks.resize(count);
  for (Block& b : table.blocks) {
    if (p[0] > static_cast<std::uint8_t>(Filter::kX86Lzma2)) return Bad("unknown filter");
    if (p[1] != 0 || p[2] != 0 || p[3] != 0 || Get32(p + 12) != 0) return Bad("reserved bytes set");
    b.filter = static_cast<Filter>(p[0]);
    b.dict_size = Get32(p + 4);
    b.entry_count = Get32(p + 8);
    b.packed_size = Get64(p + 16);
    b.unpacked_size = Get64(p + 24);
    if (b.dict_size < kMinDictSize || b.dict_size > kMaxDictSize) return Bad("dictionary size");
    if ((b.unpacked_size == 0) != (b.packed_size == 0)) return Bad("block sizes disagree");
    p += kBlockRecordSize;
  }
  return {};
}

// Each block's size must be exactly the sum of its files' sizes.
Status CheckBlockSizes(const Table& table, std::size_t first_file) {
  std::size_t next = first_file;
  std::uint64_t total = 0;
  for (const Block& b : table.blocks) {
    if (!AddChecked(total, b.unpacked_size)) return Bad("block sizes overflow");
    if (b.entry_count > table.entries.size() - next) return Bad("block entry counts");
    std::uint64_t sum = 0;
    for (std::size_t i = next; i < next + b.entry_count; ++i) {
      if (!AddChecked(sum, table.entries[i].stored_size)) return Bad("entry sizes overflow");
    }
    if (sum != b.unpacked_size) return Bad("block size does not match its entries");
    next += b.entry_count;
  }
  if (next != table.entries.size()) return Bad("files outside every block");
  return {};
}

}  // namespace

Status CheckNames(const std::vector<Entry>& entries) {
  std::map<std::string, const std::string*> names;  // folded name to the name as stored
  std::set<std::string> files;
  for (const Entry& e : entries) {
    const std::string problem = EntryNameProblem(e.name);
    if (!problem.empty()) {
      return Status::Fail("unsafe entry name \"" + PrintableName(e.name) + "\": " + problem);
    }
    std::string folded = FoldedName(e.name);
    const auto [it, added] = names.emplace(folded, &e.name);
    if (!added && *it->second == e.name) {
      return Bad("entry \"" + PrintableName(e.name) + "\" appears twice");
    }
    if (!added) {
      return Status::Fail("entries \"" + PrintableName(*it->second) + "\" and \"" +
                          PrintableName(e.name) + "\" are one name on Windows, which ignores case");
    }
    if (e.kind == EntryKind::kFile) files.insert(std::move(folded));
  }
  // A file stands where a folder is needed when some name starts with its name and a slash: in
  // name order that name comes right at the slash (a scan per slash would grow with depth twice).
  for (const std::string& file : files) {
    const std::string folder = file + "/";
    const auto below = names.lower_bound(folder);
    if (below != names.end() && below->first.compare(0, folder.size(), folder) == 0)
      return Bad("a file stands where a folder is needed");
  }
  return {};
}

std::uint32_t Crc32(const void* data, std::size_t size, std::uint32_t crc) {
  return lzma_crc32(static_cast<const std::uint8_t*>(data), size, crc);
}

void EncodeHeader(const Header& h, std::uint8_t out[kHeaderSize]) {
  std::memset(out, 0, kHeaderSize);
  std::memcpy(out, kMagic, sizeof kMagic);
  out[3] = kVersion;
  Put32(out + 8, h.entry_count);
  Put32(out + 12, h.block_count);
  Put32(out + 16, h.table_size);
  Put32(out + 20, h.table_crc32);
  Put64(out + 24, h.archive_size);
  Put32(out + 32, h.table_packed_size);
  Put32(out + 36, Crc32(out, 36));
}

Status DecodeHeader(const std::uint8_t in[kHeaderSize], Header& h) {
  if (std::memcmp(in, kMagic, sizeof kMagic) != 0) return Status::Fail("not a UHA archive");
  if (in[3] != kVersion) return Status::Fail("unsupported UHA version " + std::to_string(in[3]));
  if (Get32(in + 36) != Crc32(in, 36)) return Bad("header checksum mismatch");
  if (Get32(in + 4) != 0) return Bad("reserved header bytes set");
  if (Get32(in + 8) == 0) return Status::Fail("empty archive: it holds no entries");
  h.entry_count = Get32(in + 8);
  h.block_count = Get32(in + 12);
  h.table_size = Get32(in + 16);
  h.table_crc32 = Get32(in + 20);
  h.archive_size = Get64(in + 24);
  h.table_packed_size = Get32(in + 32);
  if (h.table_size > kMaxTableSize || h.table_packed_size > kMaxTableSize) {
    return Bad("entry table too large");
  }
  const std::uint64_t least = std::uint64_t{h.block_count} * kBlockRecordSize +
                              std::uint64_t{h.entry_count} * kEntryFixedSize;
  if (least > h.table_size) return Bad("entry table smaller than its counts");
  if (h.archive_size < kHeaderSize + std::uint64_t{h.table_packed_size}) return Bad("archive size");
  return {};
}

std::vector<std::uint8_t> EncodeTable(const Table& table) {
  std::vector<std::uint8_t> out(table.blocks.size() * kBlockRecordSize);
  std::uint8_t* p = out.data();
  for (const Block& b : table.blocks) {
    p[0] = static_cast<std::uint8_t>(b.filter);
    Put32(p + 4, b.dict_size);
    Put32(p + 8, b.entry_count);
    Put64(p + 16, b.packed_size);
    Put64(p + 24, b.unpacked_size);
    p += kBlockRecordSize;
  }
  for (const Entry& e : table.entries) {
    std::uint8_t fixed[kEntryFixedSize] = {};
    fixed[0] = static_cast<std::uint8_t>(e.kind);
    fixed[1] = static_cast<std::uint8_t>(e.coding);
    fixed[2] = static_cast<std::uint8_t>(e.name.size());
    fixed[3] = static_cast<std::uint8_t>(e.name.size() >> 8);
    Put32(fixed + 4, e.attributes);
    Put64(fixed + 8, e.size);
    Put64(fixed + 16, e.mtime);
    Put32(fixed + 24, e.crc32);
    Put64(fixed + 28, e.stored_size);
    out.insert(out.end(), fixed, fixed + kEntryFixedSize);
    out.insert(out.end(), e.name.begin(), e.name.end());
  }
  return out;
}

std::uint32_t TableDictSize(std::size_t table_size) {
  return static_cast<std::uint32_t>(
      std::clamp<std::size_t>(table_size, kMinDictSize, std::size_t{8} << 20));
}

Status UnpackTable(const std::vector<std::uint8_t>& packed, std::uint32_t table_size,
                   std::vector<std::uint8_t>& table) {
  lzma_options_lzma options = {};  // the decoder takes only the dictionary size
  options.dict_size = TableDictSize(table_size);
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  table.assign(table_size, 0);
  std::size_t in_pos = 0, out_pos = 0;
  const lzma_ret ret = lzma_raw_buffer_decode(filters, nullptr, packed.data(), &in_pos,
                                              packed.size(), table.data(), &out_pos, table.size());
  if (ret != LZMA_OK || in_pos != packed.size() || out_pos != table.size()) {
    return Bad("entry table does not decode to its size");
  }
  return {};
}

Status DecodeTable(const Header& h, const std::vector<std::uint8_t>& bytes, Table& table) {
  if (bytes.size() != h.table_size) return Bad("entry table size");
  if (Crc32(bytes.data(), bytes.size()) != h.table_crc32)
    return Bad("entry table checksum mismatch");
  if (std::uint64_t{h.block_count} * kBlockRecordSize > bytes.size()) {
    return Bad("entry table smaller than its counts");
  }
  Status st = DecodeBlocks(bytes.data(), table, h.block_count);
  if (!st.ok()) return st;
  std::size_t pos = std::size_t{h.block_count} * kBlockRecordSize;
  table.entries.clear();  // grown entry by entry: the count alone is not trusted with memory
  std::size_t directories = 0;
  for (std::uint32_t i = 0; i < h.entry_count; ++i) {
    if (bytes.size() - pos < kEntryFixedSize) return Bad("entry table cut short");
    const std::uint8_t* p = bytes.data() + pos;
    const std::size_t name_size = p[2] | (std::size_t{p[3]} << 8);
    if (p[0] > static_cast<std::uint8_t>(EntryKind::kDirectory)) return Bad("entry kind");
    if (p[1] > static_cast<std::uint8_t>(Coding::kX86)) return Bad("entry coding");
    if (bytes.size() - pos - kEntryFixedSize < name_size) return Bad("entry name cut short");
    Entry e;
    e.kind = static_cast<EntryKind>(p[0]);
    e.attributes = Get32(p + 4) & kAttrMask;
    e.size = Get64(p + 8);
    e.mtime = Get64(p + 16);
    e.crc32 = Get32(p + 24);
    if (e.mtime > kMaxFileTime) return Bad("entry time out of range");
    e.coding = static_cast<Coding>(p[1]);
    e.stored_size = Get64(p + 28);
    if (e.coding != Coding::kDeflateRecipe && e.stored_size != e.size)
      return Bad("entry stored size");
    e.name.assign(reinterpret_cast<const char*>(p + kEntryFixedSize), name_size);
    if (e.kind == EntryKind::kDirectory) {
      if (directories != i || e.size != 0 || e.coding != Coding::kPlain)
        return Bad("folder entries out of place");
      ++directories;
    }
    table.entries.push_back(std::move(e));
    pos += kEntryFixedSize + name_size;
  }
  if (pos != bytes.size()) return Bad("trailing bytes in the entry table");
  st = CheckBlockSizes(table, directories);
  if (!st.ok()) return st;
  std::uint64_t end = kHeaderSize + std::uint64_t{h.table_packed_size};
  for (const Block& b : table.blocks) {
    if (!AddChecked(end, b.packed_size)) return Bad("block sizes overflow");
  }
  if (end != h.archive_size) return Bad("archive size does not match its blocks");
  return CheckNames(table.entries);
}

}  // namespace uha
