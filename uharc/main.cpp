// UHARC.EXE: extracts a UHA archive below the current folder, showing its progress on the console.
//   UHARC.EXE x -y ARCHIVE
// Exit codes (uharc_console.h): done, the archive could not be extracted, bad command line.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "lib/archive/archive_reader.h"
#include "uharc/console_out.h"
#include "lib/archive/entry_name.h"
#include "lib/archive/stdio_source.h"
#include "shared/uharc_console.h"
#include "uharc/win32_sink.h"

namespace {

constexpr char kUsage[] = "usage: UHARC x [-y] ARCHIVE  (extracts below the current folder)";

// Rewrites the cursor row whenever the entry or the percentage changes.
class RowProgress : public uha::ExtractProgress {
 public:
  explicit RowProgress(const uharc::ConsoleOut& out) : out_(out) {}

  void OnEntry(const uha::Entry& entry, std::uint64_t done, std::uint64_t total) override {
    std::string shown = entry.name;
    for (char& c : shown) {
      if (c == '/') c = '\\';
    }
    status_ = uharc::StatusText("Extracting", out_.Encode(shown), out_.cells());
    ++entries_;
    Show(Percent(done, total));
  }
  void OnBytes(std::uint64_t done, std::uint64_t total) override {
    const int percent = Percent(done, total);
    if (percent != shown_) Show(percent);
  }
  int entries() const { return entries_; }

 private:
  static int Percent(std::uint64_t done, std::uint64_t total) {
    if (total == 0) return 0;
    return static_cast<int>(total > UINT64_MAX / 100 ? done / (total / 100) : done * 100 / total);
  }
  void Show(int percent) {
    shown_ = percent;
    out_.Write(uharc::ProgressRow(status_, percent, out_.cells()));
  }

  const uharc::ConsoleOut& out_;
  std::string status_;
  int shown_ = -1;
  int entries_ = 0;
};

// The second lane's entries: its thread only counts them, the row shows the first lane's.
class EntryCount : public uha::ExtractProgress {
 public:
  void OnEntry(const uha::Entry&, std::uint64_t, std::uint64_t) override { ++entries; }
  void OnBytes(std::uint64_t, std::uint64_t) override {}
  int entries = 0;
};

// The message names the fault even when it quotes a name that is not UTF-8 or holds controls.
int Fail(const uharc::ConsoleOut& out, const std::string& message, int code) {
  out.Write(uharc::FinalRow(out.Encode("UHARC: " + uha::PrintableName(message)), out.cells()));
  return code;
}

int Extract(const uharc::ConsoleOut& out, const wchar_t* archive) {
  std::FILE* file = _wfopen(archive, L"rb");
  if (file == nullptr) return Fail(out, "cannot open the archive", uharc::kExitFailed);
  // A second reader and sink let a second thread decode another block meanwhile.
  std::FILE* second_file = _wfopen(archive, L"rb");
  uha::StdioSource source(file), second_source(second_file);
  uharc::Win32Sink sink, second_sink;
  EntryCount second_entries;
  uha::SecondLane second{second_source, second_sink, second_entries};
  RowProgress progress(out);
  const bool two = second_file != nullptr && second_sink.Init();
  uha::Status st = sink.Init() ? uha::ExtractArchive(source, sink, progress, two ? &second : nullptr)
                               : uha::Status::Fail("cannot read the current folder");
  if (second_file != nullptr) std::fclose(second_file);
  std::fclose(file);
  if (!st.ok()) return Fail(out, st.error, uharc::kExitFailed);
  const int entries = progress.entries() + second_entries.entries;
  out.Write(uharc::SummaryRow("All OK: " + std::to_string(entries) + " entries extracted",
                              out.cells()));
  return uharc::kExitOk;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const uharc::ConsoleOut out;
  int i = 2;
  while (i < argc && _wcsicmp(argv[i], L"-y") == 0) ++i;
  if (argc < 2 || _wcsicmp(argv[1], L"x") != 0 || argc - i != 1) {
    return Fail(out, kUsage, uharc::kExitUsage);
  }
  return Extract(out, argv[i]);
}
