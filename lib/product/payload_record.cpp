#include "lib/product/payload_record.h"

#include <lzma.h>

#include "lib/archive/le_bytes.h"
#include "lib/product/expansion_name.h"

namespace kelvamo {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

bool MatchesPackPattern(const std::string& name) {
  const size_t suffix = sizeof(kPackSuffix) - 1;
  return name.size() >= suffix &&
         EqualsIgnoringCase(name.substr(name.size() - suffix), kPackSuffix);
}

// A library folder of the installer's as an archive path: "jre/lib/".
std::string ArchiveFolder(const char* installerFolder) {
  std::string folder = installerFolder;
  for (char& c : folder) {
    if (c == '\\') c = '/';
  }
  return folder;
}

// True when `rest`, the part of a name below a searched folder, is a "*.pack.gz" file there or
// inside its "*.pack.gz" folders; the expansion passes over folders whose name begins with a dot.
bool FoundBySearch(const std::string& rest) {
  size_t start = 0;
  for (size_t slash; (slash = rest.find('/', start)) != std::string::npos; start = slash + 1) {
    const std::string folder = rest.substr(start, slash - start);
    if (folder[0] == '.' || !MatchesPackPattern(folder)) return false;
  }
  return MatchesPackPattern(rest.substr(start));
}

}  // namespace

PayloadFactsRecord EncodePayloadFacts(const PayloadFacts& facts) {
  PayloadFactsRecord record{};
  std::uint8_t* out = record.data();
  uha::Put32(out, kPayloadFactsMagic);
  uha::Put32(out + 4, facts.archive_crc32);
  uha::Put32(out + 8, facts.extractor_crc32);
  uha::Put64(out + 12, facts.archive_bytes);
  uha::Put64(out + 20, facts.extractor_bytes);
  uha::Put64(out + 28, facts.unpacked_bytes);
  uha::Put64(out + 36, facts.expanded_bytes);
  return record;
}

std::optional<PayloadFacts> DecodePayloadFacts(const void* bytes, std::size_t size) {
  const auto* in = static_cast<const std::uint8_t*>(bytes);
  if (in == nullptr || size != kPayloadFactsBytes || uha::Get32(in) != kPayloadFactsMagic) {
    return std::nullopt;
  }
  PayloadFacts facts;
  facts.archive_crc32 = uha::Get32(in + 4);
  facts.extractor_crc32 = uha::Get32(in + 8);
  facts.archive_bytes = uha::Get64(in + 12);
  facts.extractor_bytes = uha::Get64(in + 20);
  facts.unpacked_bytes = uha::Get64(in + 28);
  facts.expanded_bytes = uha::Get64(in + 36);
  return facts;
}

std::uint32_t PayloadCrc32(const void* bytes, std::size_t size, std::uint32_t crc) {
  return lzma_crc32(static_cast<const std::uint8_t*>(bytes), size, crc);
}

bool MatchesRecord(const void* bytes, std::uint64_t size, std::uint64_t recordedBytes,
                   std::uint32_t recordedCrc) {
  return size == recordedBytes && static_cast<std::size_t>(size) == size &&
         PayloadCrc32(bytes, static_cast<std::size_t>(size)) == recordedCrc;
}

std::uint64_t InstallNeedBytes(const PayloadFacts& facts) {
  std::uint64_t need = 0;
  for (std::uint64_t part : {facts.unpacked_bytes, facts.expanded_bytes, facts.archive_bytes,
                             facts.extractor_bytes}) {
    need = part > UINT64_MAX - need ? UINT64_MAX : need + part;
  }
  return need;
}

bool ExpandedAtCompletion(const std::string& entryName) {
  for (const char* folder : {kLibFolder, kLibExtFolder}) {
    const std::string prefix = ArchiveFolder(folder);
    if (entryName.size() > prefix.size() &&
        EqualsIgnoringCase(entryName.substr(0, prefix.size()), prefix) &&
        FoundBySearch(entryName.substr(prefix.size()))) {
      return true;
    }
  }
  return false;
}

}  // namespace kelvamo
