// Stand-in for the Java runtime's unpack200: "unpack200 IN OUT" writes OUT, the library packed in
// IN. Our packed form is a gzip of the jar. Any failure leaves no OUT and exits nonzero.
#include <windows.h>
#include <zlib.h>

#include <cstdio>

namespace {

bool Unpack(const wchar_t* in_path, const wchar_t* out_path) {
  gzFile in = gzopen_w(in_path, "rb");
  if (in == nullptr) return false;
  std::FILE* out = _wfopen(out_path, L"wb");
  bool ok = out != nullptr;
  char buf[1 << 16];
  bool first = true;
  int n = 0;
  while (ok && (n = gzread(in, buf, sizeof buf)) > 0) {
    // A library is a jar, and it must come out of a gzip stream: anything else was not packed by
    // us.
    if (first &&
        (gzdirect(in) || n < 4 || buf[0] != 'P' || buf[1] != 'K' || buf[2] != 3 || buf[3] != 4)) {
      ok = false;
    }
    first = false;
    ok = ok && std::fwrite(buf, 1, static_cast<std::size_t>(n), out) == static_cast<std::size_t>(n);
  }
  ok = ok && n == 0 && !first;
  ok = gzclose(in) == Z_OK && ok;
  if (out != nullptr) ok = std::fclose(out) == 0 && ok;
  if (!ok && out != nullptr) _wremove(out_path);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: unpack200 PACKED.pack.gz LIBRARY.jar\n", stderr);
    return 2;
  }
  if (!Unpack(argv[1], argv[2])) {
    std::fputs("unpack200: cannot unpack the library\n", stderr);
    return 1;
  }
  return 0;
}
