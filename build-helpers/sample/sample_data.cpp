#include "build-helpers/sample/sample_data.h"

#include <zlib.h>

#include <algorithm>

namespace sample {
namespace {

const char* const kWords[] = {
    "get",     "set",      "create",   "update", "remove",   "find",     "load",    "save",
    "open",    "close",    "read",     "write",  "parse",    "format",   "value",   "name",
    "index",   "count",    "buffer",   "stream", "event",    "listener", "handler", "manager",
    "factory", "builder",  "context",  "config", "session",  "window",   "panel",   "button",
    "layout",  "model",    "view",     "cache",  "entry",    "node",     "tree",    "list",
    "map",     "key",      "state",    "action", "resource", "locale",   "charset", "decoder",
    "encoder", "provider", "security", "cipher", "digest",   "socket",   "channel", "thread",
    "task",    "queue"};
const char* const kTypes[] = {
    "Ljava/lang/String;", "I", "J", "Z", "V", "[B", "Ljava/lang/Object;", "Ljava/util/List;",
    "Ljava/util/Map;",    "D"};
// Common opcodes, weighted by repetition: loads, stores, invokes, field access, branches.
const std::uint8_t kOpcodes[] = {0x2A, 0x2A, 0x2B, 0x1B, 0xB4, 0xB5, 0xB6, 0xB6, 0xB7, 0xB8, 0x12,
                                 0x59, 0xBB, 0x99, 0xA7, 0xB1, 0xAC, 0xB0, 0x3C, 0x84, 0x15, 0xC0};

void Put16(Bytes& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}
void Le16(Bytes& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Le32(Bytes& out, std::uint32_t v) {
  Le16(out, v & 0xFFFF);
  Le16(out, v >> 16);
}
void Append(Bytes& out, const std::string& s) { out.insert(out.end(), s.begin(), s.end()); }

}  // namespace

std::string Generator::Identifier() {
  std::string id = kWords[Next(std::size(kWords))];
  std::string second = kWords[Next(std::size(kWords))];
  second[0] = static_cast<char>(second[0] - 'a' + 'A');
  return id + second;
}

Bytes Generator::ClassFile(const std::string& qualified_name) {
  Bytes out = {0xCA, 0xFE, 0xBA, 0xBE, 0x00, 0x00, 0x00, 0x34};
  const unsigned pool = 40 + Next(120);
  Put16(out, pool);
  for (unsigned i = 1; i < pool; ++i) {
    switch (Next(4)) {
      case 0:
      case 1: {
        const std::string text = Next(3) == 0
                                     ? "(" + std::string(kTypes[Next(10)]) + ")" + kTypes[Next(10)]
                                     : (Next(4) == 0 ? qualified_name + "$" : "") + Identifier();
        out.push_back(1);
        Put16(out, static_cast<unsigned>(text.size()));
        Append(out, text);
        break;
      }
      case 2:
        out.push_back(7);
        Put16(out, 1 + Next(i));
        break;
      default:
        out.push_back(10);
        Put16(out, 1 + Next(i));
        Put16(out, 1 + Next(i));
    }
  }
  Put16(out, 0x21);
  Put16(out, 1 + Next(pool - 1));
  Put16(out, 1 + Next(pool - 1));
  const unsigned methods = 2 + Next(20);
  Put16(out, methods);
  for (unsigned m = 0; m < methods; ++m) {
    Put16(out, 0x01);
    Put16(out, 1 + Next(pool - 1));
    Put16(out, 1 + Next(pool - 1));
    const unsigned code = 8 + Next(300);
    for (unsigned k = 0; k < code; ++k) {
      const std::uint8_t op = kOpcodes[Next(std::size(kOpcodes))];
      out.push_back(op);
      if (op >= 0xB2 && op <= 0xBB) Put16(out, 1 + Next(pool - 1));
    }
  }
  return out;
}

Bytes Generator::Jar(const std::string& package, int count) {
  std::vector<std::pair<std::string, Bytes>> entries;
  std::string manifest = "Manifest-Version: 1.0\r\nCreated-By: 1.6.0 (Kelvamo)\r\n\r\n";
  entries.push_back({"META-INF/MANIFEST.MF", Bytes(manifest.begin(), manifest.end())});
  for (int i = 0; i < count; ++i) {
    std::string name = Identifier();
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
    const std::string qualified = package + "/" + name + std::to_string(i);
    entries.push_back({qualified + ".class", ClassFile(qualified)});
  }
  return Zip(entries);
}

Bytes Generator::Bitmap(int width, int height) {
  const std::uint32_t row = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  const std::uint32_t pixels = row * static_cast<std::uint32_t>(height);
  Bytes out = {'B', 'M'};
  Le32(out, 54 + pixels);
  Le32(out, 0);
  Le32(out, 54);
  Le32(out, 40);
  Le32(out, static_cast<std::uint32_t>(width));
  Le32(out, static_cast<std::uint32_t>(height));
  Le16(out, 1);
  Le16(out, 24);
  for (int i = 0; i < 6; ++i) Le32(out, i == 1 ? pixels : 0);
  const unsigned tint = Next(256);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const unsigned noise = Next(8);
      out.push_back(static_cast<std::uint8_t>(x * 255 / width + noise));
      out.push_back(static_cast<std::uint8_t>(y * 255 / height + noise));
      out.push_back(static_cast<std::uint8_t>(tint + noise));
    }
    out.resize(out.size() + (row - static_cast<std::uint32_t>(width) * 3));
  }
  return out;
}

std::string Generator::Prose(std::size_t bytes) {
  std::string out;
  while (out.size() < bytes) {
    out += Next(8) == 0 ? "\n" : " ";
    out += Next(5) == 0 ? Identifier() : kWords[Next(std::size(kWords))];
  }
  out.resize(bytes);
  return out + "\n";
}

Bytes Generator::Records(std::size_t bytes) {
  Bytes out;
  while (out.size() < bytes) {
    Le16(out, Next(64));
    Le32(out, static_cast<std::uint32_t>(out.size()));
    const std::string id = Identifier();
    out.push_back(static_cast<std::uint8_t>(id.size()));
    Append(out, id);
    for (unsigned k = Next(24); k > 0; --k)
      out.push_back(static_cast<std::uint8_t>(Next(4) == 0 ? Next(256) : 0));
  }
  out.resize(bytes);
  return out;
}

Bytes Zip(const std::vector<std::pair<std::string, Bytes>>& entries) {
  constexpr std::uint32_t kDosTime = 0x00000000, kDosDate = 0x3C21;  // 2010-01-01 00:00
  Bytes out, central;
  for (const auto& [name, data] : entries) {
    const std::uint32_t crc =
        static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size())));
    const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
    Le32(out, 0x04034B50);
    Le16(out, 10), Le16(out, 0), Le16(out, 0), Le16(out, kDosTime), Le16(out, kDosDate);
    Le32(out, crc), Le32(out, static_cast<std::uint32_t>(data.size())),
        Le32(out, static_cast<std::uint32_t>(data.size()));
    Le16(out, static_cast<unsigned>(name.size())), Le16(out, 0);
    Append(out, name);
    out.insert(out.end(), data.begin(), data.end());
    Le32(central, 0x02014B50);
    Le16(central, 20), Le16(central, 10), Le16(central, 0), Le16(central, 0),
        Le16(central, kDosTime);
    Le16(central, kDosDate);
    Le32(central, crc), Le32(central, static_cast<std::uint32_t>(data.size())),
        Le32(central, static_cast<std::uint32_t>(data.size()));
    Le16(central, static_cast<unsigned>(name.size()));
    for (int i = 0; i < 4; ++i) Le16(central, 0);
    Le32(central, 0), Le32(central, offset);
    Append(central, std::string(name));
  }
  const std::uint32_t central_offset = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), central.begin(), central.end());
  Le32(out, 0x06054B50);
  Le16(out, 0), Le16(out, 0);
  Le16(out, static_cast<unsigned>(entries.size())),
      Le16(out, static_cast<unsigned>(entries.size()));
  Le32(out, static_cast<std::uint32_t>(central.size())), Le32(out, central_offset);
  Le16(out, 0);
  return out;
}

Bytes Gzip(const Bytes& data) {
  z_stream z{};
  if (deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK) return {};
  Bytes out(deflateBound(&z, static_cast<uLong>(data.size())) + 32);
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const bool done = deflate(&z, Z_FINISH) == Z_STREAM_END;
  out.resize(done ? z.total_out : 0);
  deflateEnd(&z);
  return out;
}

}  // namespace sample
