#include "uhapack/tree_scan.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace uha {

namespace fs = std::filesystem;

std::uint64_t FileTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds) {
  constexpr std::int64_t kUnixEpochIn1601 = 11644473600;
  const std::int64_t since1601 = seconds + kUnixEpochIn1601;
  if (since1601 < 0) return 0;
  return static_cast<std::uint64_t>(since1601) * 10000000u + nanoseconds / 100;
}

Status ScanTree(const std::string& root, std::optional<std::int64_t> fixed_time,
                std::vector<PackInput>& inputs) {
  std::error_code ec;
  fs::recursive_directory_iterator it(root, ec), end;
  if (ec) return Status::Fail("cannot read " + root + ": " + ec.message());
  for (; it != end; it.increment(ec)) {
    if (ec) return Status::Fail("cannot read " + root + ": " + ec.message());
    const std::string path = it->path().string();
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return Status::Fail("cannot read " + path);
    PackInput in;
    in.entry.name = it->path().lexically_relative(root).generic_string();
    if (S_ISDIR(st.st_mode)) {
      in.entry.kind = EntryKind::kDirectory;
    } else if (S_ISREG(st.st_mode)) {
      in.entry.kind = EntryKind::kFile;
      in.entry.size = static_cast<std::uint64_t>(st.st_size);
      in.source_path = path;
    } else {
      return Status::Fail(path + " is neither a file nor a folder");
    }
    in.entry.attributes = (st.st_mode & S_IWUSR) ? 0 : kAttrReadOnly;
    in.entry.mtime = fixed_time ? FileTimeFromUnix(*fixed_time, 0)
                                : FileTimeFromUnix(st.st_mtim.tv_sec,
                                                   static_cast<std::uint32_t>(st.st_mtim.tv_nsec));
    inputs.push_back(std::move(in));
  }
  return {};
}

}  // namespace uha
