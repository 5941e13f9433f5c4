#include "uhapack/posix_sink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace uha {
namespace {

Status Fail(const std::string& what, const std::string& path) {
  return Status::Fail(what + " " + path + ": " + std::strerror(errno));
}

timespec UnixTime(std::uint64_t filetime) {
  constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ull;
  timespec ts{};
  if (filetime >= kUnixEpochTicks) {
    ts.tv_sec = static_cast<time_t>((filetime - kUnixEpochTicks) / 10000000u);
    ts.tv_nsec = static_cast<long>((filetime - kUnixEpochTicks) % 10000000u * 100);
  }
  return ts;
}

}  // namespace

PosixSink::~PosixSink() { DropTemporary(); }

void PosixSink::DropTemporary() {
  if (fd_ < 0) return;
  close(fd_);
  fd_ = -1;
  unlink(temporary_.c_str());
}

// A folder already there is used only if it is a real one: a link would carry the entries below
// it out of the target.
Status PosixSink::MakeFolder(const std::string& name) const {
  const std::string path = PathOf(name);
  if (mkdir(path.c_str(), 0755) == 0) return {};
  if (errno != EEXIST) return Fail("cannot create", path);
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return Fail("cannot create", path);
  if (S_ISLNK(st.st_mode)) return Status::Fail("will not write through the link " + path);
  if (!S_ISDIR(st.st_mode)) return Status::Fail("cannot create " + path + ": a file is in the way");
  return {};
}

Status PosixSink::MakeDirectory(const Entry& entry) {
  if (root_.empty()) return {};
  return folders_.Ensure(entry.name, [this](const std::string& f) { return MakeFolder(f); });
}

Status PosixSink::BeginFile(const Entry& entry) {
  if (root_.empty()) return {};
  const std::string_view folder = FolderOf(entry.name);
  Status st = folders_.Ensure(folder, [this](const std::string& f) { return MakeFolder(f); });
  if (!st.ok()) return st;
  // A fresh name that nothing stands at yet (O_EXCL refuses even a dangling link).
  const std::string prefix =
      (folder.empty() ? root_ : PathOf(folder)) + "/.uhapack-" + std::to_string(getpid()) + "-";
  do {
    temporary_ = prefix + std::to_string(temporaries_++);
    fd_ = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  } while (fd_ < 0 && errno == EEXIST);
  if (fd_ < 0) return Fail("cannot create", PathOf(entry.name));
  return {};
}

Status PosixSink::Write(const std::uint8_t* data, std::size_t size) {
  while (fd_ >= 0 && size > 0) {
    const ssize_t n = write(fd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      return Status::Fail(std::string("cannot write: ") + std::strerror(n < 0 ? errno : ENOSPC));
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return {};
}

// The checked file takes the entry's name in one step: a file, link or hard link standing there
// is replaced, not written through, and an old file stays whole until then.
Status PosixSink::EndFile(const Entry& entry) {
  if (root_.empty()) return {};
  const timespec times[2] = {UnixTime(entry.mtime), UnixTime(entry.mtime)};
  bool ok = futimens(fd_, times) == 0 &&
            fchmod(fd_, (entry.attributes & kAttrReadOnly) ? 0444 : 0644) == 0;
  ok = close(fd_) == 0 && ok;
  fd_ = -1;
  const std::string path = PathOf(entry.name);
  if (ok && rename(temporary_.c_str(), path.c_str()) == 0) return {};
  const Status failed = Fail("cannot finish", path);
  unlink(temporary_.c_str());
  return failed;
}

void PosixSink::AbandonFile(const Entry&) { DropTemporary(); }

}  // namespace uha
