#include "lib/product/install_journal.h"

#include <cstring>
#include <set>

#include "lib/archive/entry_name.h"
#include "lib/archive/uha_format.h"
#include "lib/product/list_difference.h"
#include "shared/kelvamo_product.h"

namespace kelvamo {

namespace {

constexpr char kHeader[] = "Kelvamo setup journal 1\n";
// More names than any product tree has; a longer journal is not ours.
constexpr size_t kMaxLines = 4000000;

const char* const kPhaseNames[] = {"moving-aside", "writing", "committed"};

std::string Hex(std::uint32_t value) {
  std::string hex(8, '0');
  for (int i = 7; i >= 0; --i, value >>= 4) hex[i] = "0123456789abcdef"[value & 0xF];
  return hex;
}

std::string Trailer(size_t lines, std::uint32_t crc) {
  return "end " + std::to_string(lines) + ' ' + Hex(crc) + '\n';
}

// A path as the installer spells it: absolute, no control characters, ends with a backslash.
bool IsFolderPath(const std::string& path) {
  if (path.size() < 3 || path.back() != '\\') return false;
  for (unsigned char c : path) {
    if (c < 0x20) return false;
  }
  return true;
}

bool IsListedName(const std::string& name) { return uha::EntryNameProblem(name).empty(); }

// Registry types a prior value may have: REG_SZ and REG_DWORD.
constexpr std::uint32_t kStringType = 1;
constexpr std::uint32_t kNumberType = 4;
// Longer than any value the installer writes.
constexpr size_t kMaxValueBytes = 4096;

std::string HexBytes(const std::string& bytes) {
  std::string hex;
  for (unsigned char c : bytes) {
    hex += "0123456789abcdef"[c >> 4];
    hex += "0123456789abcdef"[c & 0xF];
  }
  return hex;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "<a or u> <name> <type> <hex bytes>".
bool ParseValue(const std::string& text, PriorValue& value) {
  const size_t nameEnd = text.find(' ', 2);
  const size_t typeEnd = nameEnd == std::string::npos ? nameEnd : text.find(' ', nameEnd + 1);
  if (text.size() < 2 || (text[0] != 'a' && text[0] != 'u') || text[1] != ' ' ||
      typeEnd == std::string::npos) {
    return false;
  }
  value.inAppKey = text[0] == 'a';
  value.name = text.substr(2, nameEnd - 2);
  const std::string type = text.substr(nameEnd + 1, typeEnd - nameEnd - 1);
  const std::string hex = text.substr(typeEnd + 1);
  if (value.name.empty() || value.name.find_first_not_of(
          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") != std::string::npos ||
      (type != "1" && type != "4") || hex.size() % 2 != 0 || hex.size() > 2 * kMaxValueBytes) {
    return false;
  }
  value.type = type == "1" ? kStringType : kNumberType;
  value.bytes.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    value.bytes += static_cast<char>(high * 16 + low);
  }
  return value.type != kNumberType || value.bytes.size() == 4;
}

bool ApplyLine(const std::string& tag, const std::string& value, InstallJournal& journal) {
  auto names = [&](std::vector<std::string>& into) {
    if (!IsListedName(value)) return false;
    into.push_back(value);
    return true;
  };
  if (tag == "folder") {
    journal.folder = value;
    return IsFolderPath(value);
  }
  if (tag == "phase") {
    for (size_t i = 0; i < 3; ++i) {
      if (value == kPhaseNames[i]) {
        journal.phase = static_cast<JournalPhase>(i);
        return true;
      }
    }
    return false;
  }
  if (tag == "made") {
    journal.madeFolders.push_back(value);
    return IsFolderPath(value);
  }
  if (tag == "keys") {
    if (value.size() != 2 || value.find_first_not_of("01") != std::string::npos) return false;
    journal.appKeyExisted = value[0] == '1';
    journal.uninstallKeyExisted = value[1] == '1';
    return true;
  }
  if (tag == "value") {
    PriorValue prior;
    if (!ParseValue(value, prior)) return false;
    journal.priorValues.push_back(prior);
    return true;
  }
  if (tag == "replaced") {
    journal.replacedFolder = value;
    return IsFolderPath(value);
  }
  if (tag == "aside") return names(journal.movedAside);
  if (tag == "new") return names(journal.newFiles);
  if (tag == "new-folder") return names(journal.newFolders);
  if (tag == "stale-folder") return names(journal.staleFolders);
  return false;
}

}  // namespace

std::string FormatJournal(const InstallJournal& journal) {
  std::string text = kHeader;
  size_t lines = 0;
  auto line = [&](const char* tag, const std::string& value) {
    text += tag;
    text += ' ';
    text += value;
    text += '\n';
    ++lines;
  };
  line("folder", journal.folder);
  line("phase", kPhaseNames[static_cast<int>(journal.phase)]);
  for (const std::string& made : journal.madeFolders) line("made", made);
  line("keys", std::string(1, journal.appKeyExisted ? '1' : '0') +
                   (journal.uninstallKeyExisted ? '1' : '0'));
  for (const PriorValue& prior : journal.priorValues) {
    line("value", std::string(prior.inAppKey ? "a " : "u ") + prior.name + ' ' +
                      std::to_string(prior.type) + ' ' + HexBytes(prior.bytes));
  }
  if (!journal.replacedFolder.empty()) line("replaced", journal.replacedFolder);
  for (const std::string& name : journal.movedAside) line("aside", name);
  for (const std::string& name : journal.newFiles) line("new", name);
  for (const std::string& name : journal.newFolders) line("new-folder", name);
  for (const std::string& name : journal.staleFolders) line("stale-folder", name);
  return text + Trailer(lines, uha::Crc32(text.data(), text.size()));
}

std::optional<InstallJournal> ParseJournal(const std::string& text) {
  const size_t header = sizeof(kHeader) - 1;
  if (text.size() <= header || text.compare(0, header, kHeader) != 0 || text.back() != '\n') {
    return std::nullopt;
  }
  const size_t trailerStart = text.rfind('\n', text.size() - 2) + 1;
  if (trailerStart < header) return std::nullopt;
  InstallJournal journal;
  size_t lines = 0;
  for (size_t start = header; start < trailerStart; ++lines) {
    const size_t end = text.find('\n', start);
    const size_t space = text.find(' ', start);
    if (lines == kMaxLines || space >= end) return std::nullopt;
    if (!ApplyLine(text.substr(start, space - start), text.substr(space + 1, end - space - 1),
                   journal)) {
      return std::nullopt;
    }
    start = end + 1;
  }
  const std::uint32_t crc = uha::Crc32(text.data(), trailerStart);
  if (journal.folder.empty() ||
      text.compare(trailerStart, std::string::npos, Trailer(lines, crc)) != 0) {
    return std::nullopt;
  }
  return journal;
}

std::string PriorVersion(const InstallJournal& journal) {
  for (const PriorValue& prior : journal.priorValues) {
    if (!prior.inAppKey && prior.name == "DisplayVersion" && prior.type == kStringType) {
      return std::string(prior.bytes.c_str());  // up to its NUL
    }
  }
  return "";
}

bool IsInstallerOwnName(const std::string& name) {
  const std::string folded = uha::FoldedName(name);
  const std::string backup = uha::FoldedName(kBackupFolder);
  return folded == uha::FoldedName(kJournalFile) || folded == uha::FoldedName(kSetupLogFile) ||
         folded == backup || folded.compare(0, backup.size() + 1, backup + '/') == 0;
}

bool IsTemporaryName(const std::string& leaf, const char* prefix) {
  const size_t prefixSize = std::strlen(prefix);
  if (leaf.compare(0, prefixSize, prefix) != 0 || leaf.size() < prefixSize + 7 ||
      leaf.compare(leaf.size() - 4, 4, ".tmp") != 0) {
    return false;
  }
  // The process id, '-', then a count or the word of what it was writing ("journal", "log").
  const std::string middle = leaf.substr(prefixSize, leaf.size() - prefixSize - 4);
  const size_t dash = middle.find('-');
  return dash != 0 && dash != std::string::npos && dash + 1 < middle.size() &&
         middle.find_first_not_of("0123456789") == dash &&
         middle.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz", dash + 1) ==
             std::string::npos;
}

AsidePlan PlanMovingAside(const std::optional<std::vector<ListedEntry>>& oldList,
                          const std::vector<std::string>& newFiles,
                          const std::vector<std::string>& newFolders) {
  AsidePlan plan;
  std::set<std::string> seen;
  auto add = [&](const std::string& name) {
    if (!IsInstallerOwnName(name) && seen.insert(uha::FoldedName(name)).second) {
      plan.candidates.push_back(name);
    }
  };
  if (oldList) {
    for (const ListedEntry& entry : *oldList) {
      if (!entry.folder) add(entry.name);
    }
  }
  for (const std::string& name : newFiles) add(name);
  if (oldList) {
    std::vector<ListedEntry> newList;
    for (const std::string& name : newFolders) newList.push_back({true, name});
    for (const std::string& name : newFiles) newList.push_back({false, name});
    for (const std::string& folder : PlanUpgradeRemoval(*oldList, newList).folders) {
      if (!IsInstallerOwnName(folder)) plan.staleFolders.push_back(folder);
    }
  }
  return plan;
}

}  // namespace kelvamo
