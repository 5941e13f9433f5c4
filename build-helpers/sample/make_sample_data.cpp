// make_sample_data FOLDER: writes the data files of the sample Kelvamo product into FOLDER. The
// build adds the product's own programs (kelvamo.exe, Uninstall.exe, jre/bin/unpack200.exe).
// About 25 MB in all, so that extracting it is real work an installer can watch.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "build-helpers/sample/sample_data.h"

namespace fs = std::filesystem;
using sample::Bytes;

namespace {

bool Write(const fs::path& path, const Bytes& data) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  out.close();
  if (!out || data.empty()) {
    std::fprintf(stderr, "make_sample_data: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

bool WriteText(const fs::path& path, const std::string& text) {
  return Write(path, Bytes(text.begin(), text.end()));
}

struct PackedLibrary {
  const char* folder;
  const char* name;  // the unpacked name; the packed one adds ".pack.gz"
  const char* package;
  int classes;
};

constexpr PackedLibrary kPacked[] = {
    {"jre/lib", "rt.jar", "java/lang", 1400},
    {"jre/lib", "charsets.jar", "sun/nio/cs/ext", 260},
    {"jre/lib", "jsse.jar", "com/sun/net/ssl", 160},
    {"jre/lib", "deploy.jar", "com/sun/deploy", 220},
    {"jre/lib/ext", "localedata.jar", "sun/text/resources", 180},
    {"jre/lib/ext", "sunjce_provider.jar", "com/sun/crypto/provider", 90},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_sample_data FOLDER\n", stderr);
    return 2;
  }
  const fs::path root = argv[1];
  sample::Generator gen(20100101);
  bool ok = true;
  for (const PackedLibrary& lib : kPacked) {
    const fs::path packed = root / lib.folder / (std::string(lib.name) + ".pack.gz");
    ok = ok && Write(packed, sample::Gzip(gen.Jar(lib.package, lib.classes)));
  }
  ok = ok && Write(root / "jre/lib/resources.jar", gen.Jar("sun/print/resources", 120));
  ok = ok && Write(root / "jre/lib/ext/dnsns.jar", gen.Jar("sun/net/spi/nameservice/dns", 12));
  ok = ok && Write(root / "jre/lib/i386/client/classes.jsa", gen.Records(7u << 20));
  ok = ok && Write(root / "jre/lib/fonts/LucidaSansRegular.ttf", gen.Records(700u << 10));
  ok = ok && Write(root / "jre/lib/security/cacerts", gen.Records(80u << 10));
  ok = ok && WriteText(root / "jre/lib/security/java.security", gen.Prose(16u << 10));
  ok = ok && WriteText(root / "jre/lib/logging.properties", gen.Prose(3u << 10));
  ok = ok && WriteText(root / "jre/lib/tzmappings", gen.Prose(8u << 10));
  ok = ok && WriteText(root / "jre/COPYRIGHT", gen.Prose(4u << 10));
  ok = ok && WriteText(root / "jre/LICENSE", gen.Prose(24u << 10));
  ok = ok && WriteText(root / "jre/release",
                       "JAVA_VERSION=\"1.6.0_45\"\nOS_NAME=\"Windows\"\nOS_ARCH=\"i586\"\n");
  ok = ok && Write(root / "lib/kelvamo.jar", gen.Jar("com/kelvamo/app", 900));
  ok = ok && Write(root / "lib/kelvamo-ui.jar", gen.Jar("com/kelvamo/ui", 500));
  for (int i = 0; i < 6; ++i) {
    ok = ok && Write(root / ("images/screen" + std::to_string(i) + ".bmp"), gen.Bitmap(320, 240));
  }
  ok = ok && Write(root / "images/splash.bmp", gen.Bitmap(500, 300));
  ok = ok && WriteText(root / "README.txt", "Kelvamo 1.0.0\r\n\r\n" + gen.Prose(6u << 10));
  ok = ok && WriteText(root / "文档/使用说明.txt",
                       "Kelvamo 1.0.0 使用说明\r\n\r\n" + gen.Prose(2u << 10));
  return ok ? 0 : 1;
}
