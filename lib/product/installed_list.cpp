#include "lib/product/installed_list.h"

#include <algorithm>

#include "lib/archive/entry_name.h"
#include "shared/kelvamo_product.h"
#include "lib/archive/uha_format.h"

namespace kelvamo {

namespace {

constexpr char kHeader[] = "Kelvamo file list 1\n";
// Larger than any list a product tree gives; a bigger file is not ours.
constexpr size_t kMaxEntries = 1000000;

size_t Depth(const std::string& name) { return std::count(name.begin(), name.end(), '/'); }

// "end <count> <crc as eight hex digits>", formatted by hand: the uninstaller has no printf.
std::string Trailer(size_t count, std::uint32_t crc) {
  std::string hex(8, '0');
  for (int i = 7; i >= 0; --i, crc >>= 4) hex[i] = "0123456789abcdef"[crc & 0xF];
  return "end " + std::to_string(count) + ' ' + hex + '\n';
}

// One entry line without its line feed: "D name" or "F name".
std::optional<ListedEntry> ParseEntry(const std::string& line) {
  if (line.size() < 3 || (line[0] != 'D' && line[0] != 'F') || line[1] != ' ') return std::nullopt;
  ListedEntry entry{line[0] == 'D', line.substr(2)};
  if (!uha::EntryNameProblem(entry.name).empty()) return std::nullopt;
  return entry;
}

}  // namespace

std::string FormatInstalledList(const std::vector<ListedEntry>& entries) {
  std::string text = kHeader;
  for (const ListedEntry& entry : entries) {
    text += entry.folder ? "D " : "F ";
    text += entry.name;
    text += '\n';
  }
  return text + Trailer(entries.size(), uha::Crc32(text.data(), text.size()));
}

std::optional<std::vector<ListedEntry>> ParseInstalledList(const std::string& text) {
  const size_t header = sizeof(kHeader) - 1;
  if (text.compare(0, header, kHeader) != 0 || text.empty() || text.back() != '\n') {
    return std::nullopt;
  }
  const size_t trailerStart = text.rfind('\n', text.size() - 2) + 1;
  if (trailerStart < header) return std::nullopt;
  std::vector<ListedEntry> entries;
  std::vector<std::string> folded;
  for (size_t start = header; start < trailerStart;) {
    const size_t end = text.find('\n', start);
    auto entry = ParseEntry(text.substr(start, end - start));
    if (!entry || entries.size() == kMaxEntries) return std::nullopt;
    // Folders first, then files, each in byte order of their names.
    if (!entries.empty() && !(entries.back().folder && !entry->folder) &&
        !(entries.back().folder == entry->folder && entries.back().name < entry->name)) {
      return std::nullopt;
    }
    folded.push_back(uha::FoldedName(entry->name));
    entries.push_back(*entry);
    start = end + 1;
  }
  // Each name once, as Windows compares names.
  std::sort(folded.begin(), folded.end());
  if (std::adjacent_find(folded.begin(), folded.end()) != folded.end()) return std::nullopt;
  const std::uint32_t crc = uha::Crc32(text.data(), trailerStart);
  if (text.compare(trailerStart, std::string::npos, Trailer(entries.size(), crc)) != 0) {
    return std::nullopt;
  }
  return entries;
}

RemovalPlan PlanRemoval(const std::vector<ListedEntry>& entries) {
  RemovalPlan plan;
  const std::string uninstaller = uha::FoldedName(kUninstallerFile);
  const std::string list = uha::FoldedName(kInstalledListFile);
  for (const ListedEntry& entry : entries) {
    const std::string folded = uha::FoldedName(entry.name);
    if (entry.folder) {
      plan.folders.push_back(entry.name);
    } else if (folded == uninstaller) {
      plan.listsUninstaller = true;
    } else if (folded != list) {
      plan.files.push_back(entry.name);
    }
  }
  std::sort(plan.folders.begin(), plan.folders.end(), [](const std::string& a, const std::string& b) {
    return Depth(a) != Depth(b) ? Depth(a) > Depth(b) : a < b;
  });
  return plan;
}

}  // namespace kelvamo
