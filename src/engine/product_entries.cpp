#include "engine/product_entries.h"

#include <algorithm>
#include <set>

#include "engine/install_paths.h"
#include "entry_name.h"
#include "kelvamo_product.h"

namespace kelvamo {

namespace {

constexpr char kPackPattern[] = ".pack.gz";

// Archive names are UTF-8, whose multi-byte characters hold no ASCII byte: walking them byte by
// byte trims exactly as the installer's walk over the same names in GBK.
bool NoLeadByteInUtf8(unsigned char) { return false; }

// A runtime library folder of the installation as the archive names it: "jre/lib".
std::string ArchiveFolder(const char* installFolder) {
  std::string name(installFolder);
  std::replace(name.begin(), name.end(), '\\', '/');
  if (!name.empty() && name.back() == '/') name.pop_back();
  return name;
}

// The installer's search "*.pack.gz": the system compares without regard to case.
bool MatchesPackPattern(const std::string& name) {
  const std::string folded = uha::FoldedName(name);
  const size_t n = sizeof(kPackPattern) - 1;
  return folded.size() >= n && folded.compare(folded.size() - n, n, kPackPattern) == 0;
}

// Whether the expansion passes over this folder: a library folder, or a folder below one that the
// search itself returns (its name matches and does not begin with a dot).
bool IsExpandedFolder(const std::string& folder) {
  const std::string folded = uha::FoldedName(folder);
  for (const char* root : {kLibFolder, kLibExtFolder}) {
    const std::string rootName = uha::FoldedName(ArchiveFolder(root));
    if (folded == rootName) return true;
    if (folded.compare(0, rootName.size() + 1, rootName + '/') != 0) continue;
    size_t start = rootName.size() + 1;
    bool nested = true;
    while (nested && start <= folder.size()) {
      const size_t slash = std::min(folder.find('/', start), folder.size());
      const std::string component = folder.substr(start, slash - start);
      nested = !component.empty() && component[0] != '.' && MatchesPackPattern(component);
      start = slash + 1;
    }
    if (nested) return true;
  }
  return false;
}

bool ByKindThenName(const ListedEntry& a, const ListedEntry& b) {
  if (a.folder != b.folder) return a.folder;
  return a.name < b.name;
}

}  // namespace

std::optional<std::string> ExpandedLibraryName(const std::string& fileName) {
  const size_t slash = fileName.rfind('/');
  if (slash == std::string::npos) return std::nullopt;
  const std::string folder = fileName.substr(0, slash);
  const std::string packed = fileName.substr(slash + 1);
  if (!MatchesPackPattern(packed) || !IsExpandedFolder(folder)) return std::nullopt;
  const std::string target = UnpackTargetName(packed, NoLeadByteInUtf8);
  // An empty target names the folder itself, and a name the pattern matched in capitals is not
  // trimmed at all: neither makes a new file.
  if (target.empty() || target == packed) return std::nullopt;
  const std::string library = folder + '/' + target;
  if (!uha::EntryNameProblem(library).empty()) return std::nullopt;
  return library;
}

std::vector<ListedEntry> ProductListEntries(const std::vector<ListedEntry>& archiveEntries) {
  std::vector<ListedEntry> all;
  std::set<std::string> seen;
  auto add = [&](bool folder, const std::string& name) {
    if (seen.insert(uha::FoldedName(name)).second) all.push_back({folder, name});
  };
  for (const ListedEntry& entry : archiveEntries) add(entry.folder, entry.name);
  for (const ListedEntry& entry : archiveEntries) {
    if (entry.folder) continue;
    if (auto library = ExpandedLibraryName(entry.name)) add(false, *library);
  }
  add(false, kInstalledListFile);
  std::sort(all.begin(), all.end(), ByKindThenName);
  return all;
}

}  // namespace kelvamo
