#include "tests/wine/install_run.h"

#include <imagehlp.h>

#include <vector>

#include "lib/product/payload_record.h"
#include "shared/kelvamo_product.h"
#include "tests/wine/test_files.h"

using kelvamo::kApplicationFile;
using kelvamo::kArchiveName;
using kelvamo::kExtractorName;
using kelvamo::kProductHost;
using kelvamo::kProductName;
using kelvamo::kPublisher;
using kelvamo::kUninstallCommandFile;
using kelvamo::kUninstallerFile;
using kelvamo::kUninstallKey;

namespace {

std::vector<std::string> PackedLibraries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "*.pack.gz").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(folder + entry.cFileName);
  while (FindNextFileA(search, &entry));
  FindClose(search);
  return names;
}

BOOL CALLBACK TakeLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
  *reinterpret_cast<WORD*>(found) = language;
  return FALSE;
}

// The bytes and language of resource `id` of the image at `path`; false when it has none.
bool ReadSetupResource(const std::wstring& path, WORD id, std::string* bytes, WORD* language) {
  HMODULE image = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC resource = image ? FindResourceA(image, MAKEINTRESOURCEA(id), "SETUP") : nullptr;
  if (resource) {
    bytes->assign(static_cast<const char*>(LockResource(LoadResource(image, resource))),
                  SizeofResource(image, resource));
    EnumResourceLanguagesA(image, "SETUP", MAKEINTRESOURCEA(id), TakeLanguage,
                           reinterpret_cast<LONG_PTR>(language));
  }
  if (image) FreeLibrary(image);
  return resource != nullptr;
}

// Where a copy of setup.exe goes: alone in the temp folder `name`, under the program's own name
// that its titles show.
std::wstring SetupCopyPath(const std::wstring& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + name + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"setup.exe";
}

}  // namespace

std::string Narrow(const std::wstring& text) {
  char bytes[512] = {};
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof(bytes) - 1, nullptr, nullptr);
  return bytes;
}

std::string RegistryBytes(const char* keyName, const char* valueName) {
  HKEY key;
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, keyName, &key) != ERROR_SUCCESS) return "<no key>";
  char data[512];
  DWORD size = sizeof(data), type = 0;
  const LONG result =
      RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return "<no string>";
  return std::string(data, size);
}

DWORD RegistryNumber(const char* keyName, const char* valueName) {
  DWORD number = 0, size = sizeof(number);
  if (RegGetValueA(HKEY_LOCAL_MACHINE, keyName, valueName, RRF_RT_REG_DWORD, nullptr, &number,
                   &size) != ERROR_SUCCESS) {
    return 0xFFFFFFFF;
  }
  return number;
}

void ExpectRegistryFor(const std::string& folder, const char* version) {
  EXPECT_EQ(RegistryBytes("Software\\kelvamo", "Path"), folder + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "DisplayName"), std::string(kProductName) + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "DisplayVersion"), std::string(version) + '\0');
  const std::string command = '"' + folder + kUninstallCommandFile + '"';
  EXPECT_EQ(RegistryBytes(kUninstallKey, "UninstallString"), command + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "QuietUninstallString"), command + " /S" + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "InstallLocation"), folder + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "DisplayIcon"), folder + kApplicationFile + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "Publisher"), std::string(kPublisher) + '\0');
  EXPECT_EQ(RegistryBytes(kUninstallKey, "URLInfoAbout"),
            std::string("http://") + kProductHost + "/" + '\0');
  EXPECT_EQ(RegistryNumber(kUninstallKey, "NoModify"), 1u);
  EXPECT_EQ(RegistryNumber(kUninstallKey, "NoRepair"), 1u);
  const auto facts = SetupPayloadFacts();
  ASSERT_TRUE(facts);
  const std::uint64_t bytes = facts->unpacked_bytes + facts->expanded_bytes;
  EXPECT_EQ(RegistryNumber(kUninstallKey, "EstimatedSize"), (bytes + 1023) / 1024);
}

void WriteRegistryMarker() {
  HKEY key;
  ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\kelvamo", &key), ERROR_SUCCESS);
  RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>("marker"), 7);
  RegCloseKey(key);
}

std::optional<kelvamo::PayloadFacts> SetupPayloadFacts() {
  std::string bytes;
  WORD language = 0;
  if (!ReadSetupResource(WizardDriver::SetupExePath(), kelvamo::kPayloadFactsResource, &bytes,
                         &language)) {
    return std::nullopt;
  }
  return kelvamo::DecodePayloadFacts(bytes.data(), bytes.size());
}

std::wstring UnsignedSetupExePath() { return KELVAMO_UNSIGNED_SETUP_EXE; }

std::wstring CodeSectionChangedCopy(const std::wstring& name) {
  std::string image = ReadFileText(Narrow(WizardDriver::SetupExePath()));
  IMAGE_NT_HEADERS* headers = ImageNtHeader(&image[0]);
  if (headers == nullptr) return L"";
  IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(headers);
  for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
    if (!(section->Characteristics & IMAGE_SCN_CNT_CODE)) continue;
    const size_t padding = size_t{section->PointerToRawData} + section->Misc.VirtualSize;
    if (section->SizeOfRawData <= section->Misc.VirtualSize || padding >= image.size()) return L"";
    image[padding] ^= 0x5A;
    const std::wstring copy = SetupCopyPath(name);
    WriteFileText(Narrow(copy), image);
    return copy;
  }
  return L"";
}

std::wstring CertificateTableCutCopy(const std::wstring& name) {
  std::string image = ReadFileText(Narrow(WizardDriver::SetupExePath()));
  IMAGE_NT_HEADERS* headers = ImageNtHeader(&image[0]);
  if (headers == nullptr) return L"";
  const IMAGE_DATA_DIRECTORY& table =
      headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY];
  const size_t cut = size_t{table.VirtualAddress} + table.Size / 2;
  if (table.Size == 0 || cut >= image.size()) return L"";
  image.resize(cut);
  const std::wstring copy = SetupCopyPath(name);
  WriteFileText(Narrow(copy), image);
  return copy;
}

std::wstring ChangedSetupCopy(const std::wstring& name, WORD id,
                              const std::function<void(std::string&)>& change, bool recordChange) {
  const std::wstring copy = SetupCopyPath(name);
  if (!CopyFileW(UnsignedSetupExePath().c_str(), copy.c_str(), FALSE)) return L"";

  std::string payload, factsBytes;
  WORD language = 0, factsLanguage = 0;
  if (!ReadSetupResource(copy, id, &payload, &language) ||
      !ReadSetupResource(copy, kelvamo::kPayloadFactsResource, &factsBytes, &factsLanguage)) {
    return L"";
  }
  change(payload);
  auto facts = kelvamo::DecodePayloadFacts(factsBytes.data(), factsBytes.size());
  if (!facts) return L"";
  const bool archive = id == 132;
  (archive ? facts->archive_bytes : facts->extractor_bytes) = payload.size();
  (archive ? facts->archive_crc32 : facts->extractor_crc32) =
      kelvamo::PayloadCrc32(payload.data(), payload.size());
  kelvamo::PayloadFactsRecord record = kelvamo::EncodePayloadFacts(*facts);

  HANDLE update = BeginUpdateResourceW(copy.c_str(), FALSE);
  if (!update) return L"";
  bool updated = UpdateResourceA(update, "SETUP", MAKEINTRESOURCEA(id), language, &payload[0],
                                 static_cast<DWORD>(payload.size()));
  if (recordChange) {
    updated = updated && UpdateResourceA(update, "SETUP",
                                         MAKEINTRESOURCEA(kelvamo::kPayloadFactsResource),
                                         factsLanguage, record.data(), record.size());
  }
  return EndUpdateResourceW(update, !updated) && updated ? copy : L"";
}

std::wstring AnswerMessageBox(const WizardDriver& setup, int button) {
  HWND box = setup.WaitForOwnedDialog(kInstallTimeoutMs);
  if (!box) return L"<no message box>";
  const std::wstring text = WizardDriver::Text(GetDlgItem(box, kMessageText));
  EXPECT_EQ(WizardDriver::Text(box), L"setup");
  if (button == IDOK && !GetDlgItem(box, IDOK)) button = IDCANCEL;
  WizardDriver::Click(box, button);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  return text;
}

void InstallTest::StartInstallInto(const std::string& folder, const std::wstring& exe) {
  ASSERT_TRUE(setup_.Start(exe));
  WizardDriver::Click(setup_.Wizard(), kNext);
  ASSERT_TRUE(setup_.WaitForPage(WizardPage::Folder));
  InstallInto(folder);
}

void InstallTest::InstallInto(const std::string& folder) {
  ASSERT_TRUE(WizardDriver::SetText(setup_.Control(WizardPage::Folder, kFolderEdit), Wide(folder)));
  WizardDriver::Click(setup_.Wizard(), kNext);
}

bool InstallTest::WaitForCompletion(const std::string& folder, bool* sawPayload,
                                    bool* sawProgress) {
  *sawPayload = false;
  bool progress = false;
  const bool completed = WaitUntil(
      [&] {
        *sawPayload =
            *sawPayload || (Exists(folder + kArchiveName) && Exists(folder + kExtractorName));
        HWND status = setup_.Control(WizardPage::Progress, kStatusEdit);
        progress = progress || WizardDriver::Text(status).compare(0, 11, L"Extracting ") == 0;
        return WizardDriver::Enabled(Button(kNext)) && setup_.Page(WizardPage::Progress) &&
               WizardDriver::Visible(setup_.Page(WizardPage::Progress));
      },
      kInstallTimeoutMs);
  if (sawProgress) *sawProgress = progress;
  return completed;
}

void InstallTest::ExpectButtons(bool back, bool next, bool cancel) {
  EXPECT_EQ(WizardDriver::Enabled(Button(kBack)), back);
  EXPECT_EQ(WizardDriver::Enabled(Button(kNext)), next);
  EXPECT_EQ(WizardDriver::Enabled(Button(kCancel)), cancel);
}

void InstallTest::ExpectCompleted(const std::string& folder) {
  ASSERT_TRUE(setup_.WaitForPage(WizardPage::Progress, 0));
  EXPECT_EQ(WizardDriver::Text(setup_.Control(WizardPage::Progress, kStatusEdit)), L"Completing...");
  EXPECT_EQ(WizardDriver::ProgressPosition(setup_.Control(WizardPage::Progress, kProgressBar)), 100);
  ExpectButtons(false, true, false);
  ExpectRegistryFor(folder);
  EXPECT_FALSE(Exists(folder + kArchiveName));
  EXPECT_FALSE(Exists(folder + kExtractorName));
  EXPECT_TRUE(Exists(folder + kApplicationFile));
  EXPECT_TRUE(Exists(folder + kUninstallerFile));
  EXPECT_TRUE(Exists(folder + kelvamo::kNoticesFile));
  size_t packed = 0;
  for (const char* lib : {"jre\\lib\\", "jre\\lib\\ext\\"}) {
    for (const std::string& path : PackedLibraries(folder + lib)) {
      ++packed;
      const std::string library = path.substr(0, path.size() - 8);  // without ".pack.gz"
      EXPECT_TRUE(Exists(library)) << library;
    }
  }
  EXPECT_GT(packed, 1u);
}

void InstallTest::ExpectBackOnTheFolderPage() {
  ASSERT_TRUE(setup_.WaitForPage(WizardPage::Folder));
  EXPECT_TRUE(WaitUntil([&] { return WizardDriver::Enabled(Button(kNext)); }));
  ExpectButtons(true, true, true);
}
