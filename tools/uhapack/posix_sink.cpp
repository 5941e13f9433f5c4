#include "posix_sink.h"

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

PosixSink::~PosixSink() {
  if (fd_ >= 0) close(fd_);
}

Status PosixSink::MakeParents(const std::string& name) {
  for (std::size_t slash = name.find('/'); slash != std::string::npos;
       slash = name.find('/', slash + 1)) {
    const std::string dir = root_ + "/" + name.substr(0, slash);
    if (mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return Fail("cannot create", dir);
  }
  return {};
}

Status PosixSink::MakeDirectory(const Entry& entry) {
  if (root_.empty()) return {};
  Status st = MakeParents(entry.name);
  if (!st.ok()) return st;
  const std::string path = PathOf(entry);
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return Fail("cannot create", path);
  return {};
}

Status PosixSink::BeginFile(const Entry& entry) {
  if (root_.empty()) return {};
  Status st = MakeParents(entry.name);
  if (!st.ok()) return st;
  const std::string path = PathOf(entry);
  // Replacing rather than rewriting: a read-only file gives way too, and a link planted at this
  // name is removed instead of followed.
  if (unlink(path.c_str()) != 0 && errno != ENOENT && errno != EISDIR)
    return Fail("cannot replace", path);
  fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd_ < 0) return Fail("cannot create", path);
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

Status PosixSink::EndFile(const Entry& entry) {
  if (root_.empty()) return {};
  const timespec times[2] = {UnixTime(entry.mtime), UnixTime(entry.mtime)};
  const bool ok = futimens(fd_, times) == 0 &&
                  fchmod(fd_, (entry.attributes & kAttrReadOnly) ? 0444 : 0644) == 0;
  const bool closed = close(fd_) == 0;
  fd_ = -1;
  if (!ok || !closed) return Fail("cannot finish", PathOf(entry));
  return {};
}

void PosixSink::AbandonFile(const Entry& entry) {
  if (root_.empty()) return;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  unlink(PathOf(entry).c_str());
}

}  // namespace uha
