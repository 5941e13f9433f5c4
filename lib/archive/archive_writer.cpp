#include "lib/archive/archive_writer.h"

#include <lzma.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>

#include "lib/archive/block_compressor.h"
#include "lib/archive/entry_name.h"
#include "lib/recompress/x86_filter.h"

namespace uha {
namespace {

constexpr std::size_t kHeadBytes = 4096;
// Larger files are not searched for deflate streams: the search holds the file in memory.
constexpr std::uint64_t kMaxRecipeSource = std::uint64_t{1} << 29;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Extension(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return FoldedName(name.substr(dot + 1));
}

// Similar files next to each other compress better in a solid block.
bool PackOrder(const PackInput& a, const PackInput& b) {
  const std::string ea = Extension(a.entry.name), eb = Extension(b.entry.name);
  if (ea != eb) return ea < eb;
  return a.entry.name < b.entry.name;
}

Status ReadHead(const std::string& path, std::vector<std::uint8_t>& head) {
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) return Status::Fail("cannot open " + path);
  head.resize(kHeadBytes);
  head.resize(std::fread(head.data(), 1, head.size(), f.get()));
  return {};
}

Status ReadWhole(const PackInput& in, std::vector<std::uint8_t>& bytes) {
  File f(std::fopen(in.source_path.c_str(), "rb"));
  if (!f) return Status::Fail("cannot open " + in.source_path);
  bytes.resize(static_cast<std::size_t>(in.entry.size) + 1);
  bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f.get()));
  if (std::ferror(f.get())) return Status::Fail("cannot read " + in.source_path);
  if (bytes.size() != in.entry.size) return Status::Fail(in.source_path + " changed while packing");
  return {};
}

// Replaces the file by its recipe when zlib reproduces some of its deflate streams.
Status PrepareRecipe(PackInput& in) {
  if (in.entry.size > kMaxRecipeSource) return {};
  std::vector<std::uint8_t> bytes;
  Status st = ReadWhole(in, bytes);
  if (!st.ok()) return st;
  in.recipe = MakeRecipe(bytes, in.deflate);
  if (in.recipe.empty()) return {};
  in.entry.coding = Coding::kDeflateRecipe;
  in.entry.stored_size = in.recipe.size();
  in.entry.crc32 = Crc32(bytes.data(), bytes.size());
  return {};
}

// Converts x86 code's call targets when that makes the file smaller for LZMA.
Status PrepareX86(PackInput& in) {
  if (in.entry.size > kMaxRecipeSource) return {};
  std::vector<std::uint8_t> bytes;
  Status st = ReadWhole(in, bytes);
  if (!st.ok()) return st;
  std::vector<std::uint8_t> converted = bytes;
  X86Convert(converted.data(), converted.size(), 0, true);
  if (QuickPackedSize(converted) >= QuickPackedSize(bytes)) return {};
  in.recipe = std::move(converted);
  in.entry.coding = Coding::kX86;
  in.entry.crc32 = Crc32(bytes.data(), bytes.size());
  return {};
}

// The deflate search and the x86 trials take most of the packing time outside LZMA: both cores
// share the files.
using Prepare = Status (*)(PackInput&);
Status PrepareAll(std::vector<PackInput>& files, Prepare prepare) {
  constexpr std::size_t kWorkers = 2;
  Status status[kWorkers];
  std::atomic<std::size_t> next{0};
  OnBothCores([&](std::size_t w) {
    for (std::size_t i = next++; i < files.size() && status[w].ok(); i = next++)
      status[w] = prepare(files[i]);
  });
  for (std::size_t w = 0; w < kWorkers; ++w) {
    if (!status[w].ok()) return status[w];
  }
  return {};
}

// The extractor refuses an archive whose streams ask for more rebuilding work than its size
// allows: when this one would, the files whose streams cost most are stored as they are instead.
// True when some were.
bool DropCostliestRecipes(std::vector<PackInput>& files, std::uint64_t archive_size) {
  std::vector<PackInput*> rebuilt;
  std::uint64_t work = 0;
  for (PackInput& in : files) {
    if (in.entry.coding != Coding::kDeflateRecipe) continue;
    rebuilt.push_back(&in);
    work += in.deflate.work;
  }
  const std::uint64_t budget = ArchiveWorkBudget(archive_size);
  if (work <= budget) return false;
  std::sort(rebuilt.begin(), rebuilt.end(), [](const PackInput* a, const PackInput* b) {
    return a->deflate.work > b->deflate.work;
  });
  for (std::size_t i = 0; i < rebuilt.size() && work > budget; ++i) {
    PackInput& in = *rebuilt[i];
    work -= in.deflate.work;
    in.recipe = {};
    in.entry.coding = Coding::kPlain;
    in.entry.stored_size = in.entry.size;
    DeflateStats kept;
    kept.kept = in.deflate.kept + in.deflate.reproduced;
    kept.png_kept = in.deflate.png_kept + in.deflate.png;
    in.deflate = kept;
  }
  return true;
}

// About what extracting a file costs, in stored bytes: rebuilding a deflate stream takes several
// times as long as decoding its inflated bytes.
std::uint64_t ExtractCost(const PackInput& in) {
  constexpr std::uint64_t kRebuildFactor = 6;
  return in.entry.stored_size * (in.entry.coding == Coding::kDeflateRecipe ? kRebuildFactor : 1);
}

// A large group is cut in two blocks of about equal extraction cost, so that the extractor's two
// lanes finish together and the packer compresses both at once. Cutting costs little: files are
// ordered by kind, so few matches cross the cut.
void PlanBlocks(std::vector<PackInput>& group, bool code, std::uint64_t split_above,
                std::vector<BlockPlan>& plans) {
  if (group.empty()) return;
  std::uint64_t stored = 0, cost = 0;
  for (const PackInput& in : group) {
    stored += in.entry.stored_size;
    cost += ExtractCost(in);
  }
  std::size_t cut = group.size();
  if (stored > split_above) {
    std::uint64_t first = 0;
    for (cut = 0; cut < group.size() && 2 * first < cost; ++cut) first += ExtractCost(group[cut]);
  }
  plans.push_back({&group, 0, cut, code, {}, {}});
  if (cut < group.size()) plans.push_back({&group, cut, group.size() - cut, code, {}, {}});
}

// Before any compressing: a tree its extractors would refuse is refused here, with the reason.
Status CheckInputs(const std::vector<PackInput>& inputs) {
  if (inputs.empty()) return Status::Fail("nothing to pack: the folder is empty");
  std::vector<Entry> entries;
  for (const PackInput& in : inputs) {
    const std::string problem = EntryNameProblem(in.entry.name);
    if (!problem.empty())
      return Status::Fail("cannot store \"" + PrintableName(in.entry.name) + "\": it " + problem);
    entries.push_back(in.entry);
  }
  return CheckNames(entries);
}

Status WriteFile(const std::string& path, const std::uint8_t* header,
                 const std::vector<std::uint8_t>& table, const std::vector<std::uint8_t>& packed) {
  File f(std::fopen(path.c_str(), "wb"));
  if (!f) return Status::Fail("cannot create " + path);
  bool ok = std::fwrite(header, 1, kHeaderSize, f.get()) == kHeaderSize &&
            std::fwrite(table.data(), 1, table.size(), f.get()) == table.size() &&
            (packed.empty() ||  // a tree of empty files has no data at all
             std::fwrite(packed.data(), 1, packed.size(), f.get()) == packed.size());
  ok = std::fclose(f.release()) == 0 && ok;
  if (!ok) {
    std::remove(path.c_str());
    return Status::Fail("cannot write " + path);
  }
  return {};
}

}  // namespace

bool LooksLikeX86Code(const std::uint8_t* head, std::size_t size) {
  if (size >= 20 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') {
    const unsigned machine = head[18] | (head[19] << 8);
    return machine == 3 || machine == 62;
  }
  if (size < 0x40 || head[0] != 'M' || head[1] != 'Z') return false;
  const std::size_t pe =
      head[0x3C] | (head[0x3D] << 8) | (head[0x3E] << 16) | (std::size_t{head[0x3F]} << 24);
  if (pe > size - 6 || head[pe] != 'P' || head[pe + 1] != 'E' || head[pe + 2] != 0 ||
      head[pe + 3] != 0) {
    return false;
  }
  const unsigned machine = head[pe + 4] | (head[pe + 5] << 8);
  return machine == 0x14C || machine == 0x8664;
}

Status PackTable(const std::vector<std::uint8_t>& table, std::vector<std::uint8_t>& packed) {
  lzma_options_lzma options;
  lzma_lzma_preset(&options, 9);
  options.dict_size = TableDictSize(table.size());
  const lzma_filter filters[] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  packed.resize(table.size() + table.size() / 16 + 1024);
  std::size_t out_pos = 0;
  if (lzma_raw_buffer_encode(filters, nullptr, table.data(), table.size(), packed.data(), &out_pos,
                             packed.size()) != LZMA_OK) {
    return Status::Fail("cannot compress the entry table");
  }
  packed.resize(out_pos);
  return {};
}

Status WriteArchive(std::vector<PackInput> inputs, const std::string& archive_path,
                    const PackOptions& options, PackSummary& summary) {
  Status st = CheckInputs(inputs);
  if (!st.ok()) return st;
  std::vector<PackInput> dirs, data, code;
  std::vector<std::uint8_t> head;
  for (PackInput& in : inputs) {
    if (in.entry.kind == EntryKind::kDirectory) {
      dirs.push_back(std::move(in));
      continue;
    }
    in.entry.stored_size = in.entry.size;
    st = ReadHead(in.source_path, head);
    if (!st.ok()) return st;
    (LooksLikeX86Code(head.data(), head.size()) ? code : data).push_back(std::move(in));
  }
  std::sort(dirs.begin(), dirs.end(),
            [](const PackInput& a, const PackInput& b) { return a.entry.name < b.entry.name; });
  std::sort(data.begin(), data.end(), PackOrder);
  std::sort(code.begin(), code.end(), PackOrder);
  st = PrepareAll(data, PrepareRecipe);
  if (st.ok()) st = PrepareAll(code, PrepareX86);
  if (!st.ok()) return st;
  summary.x86_files = static_cast<std::uint32_t>(code.size());
  for (const PackInput& in : code) summary.x86_converted += in.entry.coding == Coding::kX86;

  Table table;
  std::vector<std::uint8_t> packed, table_bytes, table_packed;
  do {
    std::vector<BlockPlan> plans;
    PlanBlocks(data, false, options.split_above, plans);
    PlanBlocks(code, true, options.split_above, plans);
    st = CompressBlocks(plans, options);
    if (!st.ok()) return st;
    table = {};
    packed.clear();
    for (BlockPlan& plan : plans) {
      packed.insert(packed.end(), plan.packed.begin(), plan.packed.end());
      plan.packed = {};
      table.blocks.push_back(plan.block);
    }
    for (auto* group : {&dirs, &data, &code}) {
      for (const PackInput& in : *group) table.entries.push_back(in.entry);
    }
    table_bytes = EncodeTable(table);
    if (table_bytes.size() > kMaxTableSize) return Status::Fail("too many entries for one archive");
    st = PackTable(table_bytes, table_packed);
    if (!st.ok()) return st;
  } while (DropCostliestRecipes(data, kHeaderSize + table_packed.size() + packed.size()));

  // Two blocks are decoded at once: the two largest dictionaries are held together.
  std::vector<std::uint32_t> dicts;
  for (const Block& b : table.blocks) dicts.push_back(b.dict_size);
  std::sort(dicts.rbegin(), dicts.rend());
  for (std::size_t i = 0; i < dicts.size() && i < 2; ++i) summary.extract_dict_size += dicts[i];
  for (auto* group : {&data, &code}) {
    for (const PackInput& f : *group) {
      summary.unpacked_size += f.entry.size;
      summary.deflate += f.deflate;
    }
  }
  Header header;
  header.entry_count = static_cast<std::uint32_t>(table.entries.size());
  header.block_count = static_cast<std::uint32_t>(table.blocks.size());
  header.table_size = static_cast<std::uint32_t>(table_bytes.size());
  header.table_crc32 = Crc32(table_bytes.data(), table_bytes.size());
  header.table_packed_size = static_cast<std::uint32_t>(table_packed.size());
  header.archive_size = kHeaderSize + table_packed.size() + packed.size();
  Table check;
  st = DecodeTable(header, table_bytes, check);  // refuse to write what no extractor would accept
  if (!st.ok()) return st;
  std::uint8_t raw[kHeaderSize];
  EncodeHeader(header, raw);
  summary.archive_size = header.archive_size;
  return WriteFile(archive_path, raw, table_packed, packed);
}

}  // namespace uha
