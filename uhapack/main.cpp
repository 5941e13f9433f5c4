// uhapack: packs a folder tree into a UHA archive, lists one, tests one or extracts one.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "lib/archive/archive_writer.h"
#include "lib/product/payload_record.h"
#include "lib/archive/entry_name.h"
#include "uhapack/payload_measure.h"
#include "uhapack/posix_sink.h"
#include "uhapack/product_list.h"
#include "lib/archive/stdio_source.h"
#include "uhapack/tree_scan.h"

namespace {

constexpr char kUsage[] =
    "usage: uhapack c [--mtime=UNIX_SECONDS] [--level=0..9] ARCHIVE FOLDER  pack FOLDER\n"
    "       uhapack l ARCHIVE                                              list entries\n"
    "       uhapack t ARCHIVE                                              test checksums\n"
    "       uhapack x ARCHIVE [FOLDER]                                     extract\n"
    "       uhapack f ARCHIVE EXTRACTOR FACTS                              record payload facts\n";

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

int Report(const uha::Status& st) {
  if (st.ok()) return 0;
  std::fprintf(stderr, "uhapack: %s\n", uha::PrintableName(st.error).c_str());
  return 1;
}

bool ParseNumber(const char* text, long long low, long long high, long long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text, &end, 10);
  return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

int Pack(int argc, char** argv) {
  std::optional<std::int64_t> fixed_time;
  uha::PackOptions options;
  int i = 2;
  for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
    long long v = 0;
    if (std::strncmp(argv[i], "--mtime=", 8) == 0 && ParseNumber(argv[i] + 8, 0, 1LL << 40, v)) {
      fixed_time = v;
    } else if (std::strncmp(argv[i], "--level=", 8) == 0 && ParseNumber(argv[i] + 8, 0, 9, v)) {
      options.preset = static_cast<std::uint32_t>(v);
    } else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (argc - i != 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::vector<uha::PackInput> inputs;
  uha::Status st = uha::ScanTree(argv[i + 1], fixed_time, inputs);
  // The list is written beside the archive under a fresh name, packed as a file of the tree, then
  // removed.
  const std::int64_t list_time = fixed_time ? *fixed_time : std::time(nullptr);
  std::string list_path;
  if (st.ok()) {
    st = uha::AddProductList(inputs, std::string(argv[i]) + ".list-",
                             uha::FileTimeFromUnix(list_time, 0));
  }
  if (st.ok()) list_path = inputs.back().source_path;
  uha::PackSummary summary;
  if (st.ok()) st = uha::WriteArchive(std::move(inputs), argv[i], options, summary);
  if (!list_path.empty()) std::remove(list_path.c_str());
  if (st.ok()) {
    const uha::DeflateStats& d = summary.deflate;
    std::printf("%s: %llu bytes from %llu; deflate streams: %llu bytes rebuilt (from %llu"
                " inflated; %llu by the model with %llu bytes of records, %llu of PNG), %llu bytes kept (%llu of PNG);"
                " %u of %u x86 files"
                " converted; extracting needs %u MiB of dictionary and %llu Mi of its %llu Mi units"
                " of rebuilding work\n",
                argv[i], static_cast<unsigned long long>(summary.archive_size),
                static_cast<unsigned long long>(summary.unpacked_size),
                static_cast<unsigned long long>(d.reproduced),
                static_cast<unsigned long long>(d.inflated), static_cast<unsigned long long>(d.modelled),
                static_cast<unsigned long long>(d.model_record), static_cast<unsigned long long>(d.png),
                static_cast<unsigned long long>(d.kept),
                static_cast<unsigned long long>(d.png_kept),
                summary.x86_converted, summary.x86_files,
                (summary.extract_dict_size + (1u << 20) - 1) >> 20,
                static_cast<unsigned long long>((d.work + (1u << 20) - 1) >> 20),
                static_cast<unsigned long long>(uha::ArchiveWorkBudget(summary.archive_size) >> 20));
  }
  return Report(st);
}

int List(const char* archive) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(archive, "rb"));
  if (!f) return Report(uha::Status::Fail(std::string("cannot open ") + archive));
  uha::StdioSource source(f.get());
  uha::Table table;
  const uha::Status st = uha::ReadTable(source, table);
  for (const uha::Entry& e : table.entries) {
    std::printf("%12llu %08x %s%s\n", static_cast<unsigned long long>(e.size), e.crc32,
                uha::PrintableName(e.name).c_str(),
                e.kind == uha::EntryKind::kDirectory ? "/" : "");
  }
  return Report(st);
}

int Extract(const char* archive, const std::string& folder) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(archive, "rb")), g(std::fopen(archive, "rb"));
  if (!f || !g) return Report(uha::Status::Fail(std::string("cannot open ") + archive));
  uha::StdioSource source(f.get()), second_source(g.get());
  uha::PosixSink sink(folder), second_sink(folder);
  uha::NoProgress quiet;
  uha::SecondLane second{second_source, second_sink, quiet};
  return Report(uha::ExtractArchive(source, sink, quiet, &second));
}

// Writes the facts setup.exe checks its payload against and sizes the installation by.
int RecordFacts(const char* archive, const char* extractor, const char* factsPath) {
  kelvamo::PayloadFacts facts;
  const uha::Status st = uha::MeasurePayload(archive, extractor, facts);
  if (!st.ok()) return Report(st);
  const kelvamo::PayloadFactsRecord record = kelvamo::EncodePayloadFacts(facts);
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(factsPath, "wb"));
  const bool written = f &&
                       std::fwrite(record.data(), 1, record.size(), f.get()) == record.size() &&
                       std::fclose(f.release()) == 0;
  if (!written) {
    std::remove(factsPath);
    return Report(uha::Status::Fail(std::string("cannot write ") + factsPath));
  }
  std::printf("%s: %llu bytes unpacked, %llu expanded\n", factsPath,
              static_cast<unsigned long long>(facts.unpacked_bytes),
              static_cast<unsigned long long>(facts.expanded_bytes));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "c") return Pack(argc, argv);
  if (command == "l" && argc == 3) return List(argv[2]);
  if (command == "t" && argc == 3) return Extract(argv[2], "");
  if (command == "f" && argc == 5) return RecordFacts(argv[2], argv[3], argv[4]);
  if (command == "x" && (argc == 3 || argc == 4))
    return Extract(argv[2], argc == 4 ? argv[3] : ".");
  std::fputs(kUsage, stderr);
  return 2;
}
