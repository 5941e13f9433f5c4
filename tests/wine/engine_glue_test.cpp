#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "setup/engine/extractor_run.h"
#include "setup/engine/install_paths.h"
#include "lib/product/payload_record.h"
#include "lib/win32/listed_removal.h"
#include "setup/engine/payload.h"
#include "setup/engine/payload_file.h"
#include "setup/engine/unpack_run.h"
#include "shared/kelvamo_product.h"
#include "tests/wine/test_files.h"

using kelvamo::kArchiveName;
using kelvamo::kExtractorName;

namespace {

// The bytes of one payload resource linked into this test program.
std::string ResourceBytes(WORD id) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), "SETUP");
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, resource)));
  return std::string(bytes, SizeofResource(nullptr, resource));
}

// Folder of this test program, where the helper programs are built too.
std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, length);
  return full.substr(0, full.find_last_of('\\') + 1);
}

// A fresh folder of its own below the temp folder, ending with a backslash.
std::string FreshFolder(const char* name) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "kelvamo engine " + name + ' ' +
                       std::to_string(GetCurrentProcessId()) + '\\';
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

}  // namespace

TEST(HeldPayloadFile, WritesTheWholeResourceOverStaleFilesAndReportsFailures) {
  const std::string folder = FreshFolder("payload");
  WriteFileText(folder + kArchiveName, std::string(100000, 's'));
  ListedFolder held;
  ASSERT_TRUE(held.Hold(Wide(folder)));
  const std::string bytes = ResourceBytes(kArchiveResource);
  const std::uint32_t crc = kelvamo::PayloadCrc32(bytes.data(), bytes.size());
  PayloadCopy copy;
  ASSERT_TRUE(copy.Load(kArchiveResource));
  HeldPayloadFile file;
  const std::wstring name = Wide(kArchiveName);
  ASSERT_TRUE(file.Write(held, name, copy.Bytes(), copy.Size(), bytes.size(), crc,
                         HeldPayloadFile::Hold::kRead));
  EXPECT_EQ(ReadFileText(folder + kArchiveName), bytes) << "reading is shared";
  EXPECT_FALSE(DeleteFileA((folder + kArchiveName).c_str())) << "held: nobody else deletes it";
  EXPECT_TRUE(file.Delete(held));
  EXPECT_FALSE(Exists(folder + kArchiveName));

  // Bytes that are not the recorded ones, and a folder standing at the name, are refused.
  EXPECT_FALSE(file.Write(held, name, copy.Bytes(), copy.Size(), bytes.size(), crc ^ 1,
                          HeldPayloadFile::Hold::kRead));
  CreateDirectoryA((folder + kExtractorName).c_str(), nullptr);
  EXPECT_FALSE(file.Write(held, Wide(kExtractorName), copy.Bytes(), copy.Size(), bytes.size(),
                          crc, HeldPayloadFile::Hold::kReadAndDelete));
  EXPECT_FALSE(copy.Load(999));
}

class ExtractorRunTest : public testing::Test {
 protected:
  // Writes the stand-in extractor from its resource and `script` as the archive.
  void Prepare(const char* name, const std::string& script) {
    folder_ = FreshFolder(name);
    WriteFileText(folder_ + kExtractorName, ResourceBytes(kExtractorResource));
    WriteFileText(folder_ + kArchiveName, script);
    const auto command = kelvamo::BuildExtractorCommand(folder_);
    ASSERT_TRUE(command);
    command_ = *command;
  }
  std::string folder_;
  std::string command_;
};

TEST_F(ExtractorRunTest, AFailedRunIsNeverTakenForSuccess) {
  Prepare("failed", "3\nExtracting a.dll\nError: kelvamo.uha is damaged\n");
  ExtractorRun run;
  ASSERT_TRUE(run.Start(folder_, command_));
  ASSERT_TRUE(run.WaitUntilListed(10000)) << "a run that already ended ends the wait";
  EXPECT_FALSE(run.EndedWell(10000));
  EXPECT_TRUE(run.HasEnded());
  EXPECT_EQ(kelvamo::ErrorRowText(ReadCursorRow(), ReadRowAboveCursor()),
            "Error: kelvamo.uha is damaged");
}

TEST_F(ExtractorRunTest, ARunThatIsGivenUpOnIsStopped) {
  Prepare("stopped", "0\nExtracting~~~~~~~~~~\n");
  ExtractorRun run;
  ASSERT_TRUE(run.Start(folder_, command_));
  ASSERT_TRUE(run.WaitUntilListed(10000));
  EXPECT_FALSE(run.HasEnded());
  run.Stop();
  EXPECT_TRUE(run.HasEnded()) << "Stop returns only once the process has gone";
  EXPECT_FALSE(run.EndedWell(0));
}

TEST_F(ExtractorRunTest, AMissingProgramCannotBeStarted) {
  Prepare("missing", "0\n");
  ExtractorRun run;
  EXPECT_FALSE(run.Start(folder_, '"' + folder_ + "\\NOTHERE.EXE\""));
  EXPECT_FALSE(run.WaitUntilListed(600));
  EXPECT_FALSE(run.EndedWell(100));
  EXPECT_FALSE(run.Start(folder_ + "no such folder\\", command_));
}

class UnpackRunTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = FreshFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
    for (const char* sub : {"jre", "jre\\bin", "jre\\lib", "jre\\lib\\ext", "jre\\lib\\sub",
                            "jre\\lib\\x.pack.gz"}) {
      CreateDirectoryA((dir_ + sub).c_str(), nullptr);
    }
    CopyFileA((ProgramFolder() + "fake_unpack200.exe").c_str(),
              (dir_ + "jre\\bin\\unpack200.exe").c_str(), FALSE);
    lib_ = dir_ + "jre\\lib\\";
  }
  std::string dir_;
  std::string lib_;
};

TEST_F(UnpackRunTest, StartsOneRunPerPackedLibraryAndWaitsForAll) {
  const char* packed[] = {"rt.jar.pack.gz", "tools.pack.gz", "x.pack.gz\\inner.jar.pack.gz",
                          "ext\\localedata.jar.pack.gz", "sub\\never.jar.pack.gz"};
  for (const char* name : packed) WriteFileText(lib_ + name, std::string("library ") + name);
  WriteFileText(lib_ + "notpacked.jar", "plain");

  UnpackRun run;
  EXPECT_TRUE(run.StartFolder(dir_, lib_));
  EXPECT_EQ(run.Started(), 3u) << "ext and sub are not entered";
  EXPECT_TRUE(run.StartFolder(dir_, lib_ + "ext\\"));
  EXPECT_TRUE(run.StartFolder(dir_, dir_ + "jre\\missing\\"));
  EXPECT_EQ(run.Started(), 4u);
  EXPECT_TRUE(run.WaitAll(30000)) << run.Failure();
  EXPECT_EQ(ReadFileText(lib_ + "rt.jar"), "library rt.jar.pack.gz");
  EXPECT_EQ(ReadFileText(lib_ + "tools"), "library tools.pack.gz");
  EXPECT_EQ(ReadFileText(lib_ + "x.pack.gz\\inner.jar"), "library x.pack.gz\\inner.jar.pack.gz");
  EXPECT_EQ(ReadFileText(lib_ + "ext\\localedata.jar"), "library ext\\localedata.jar.pack.gz");
  EXPECT_FALSE(Exists(lib_ + "sub\\never.jar"));
  EXPECT_TRUE(Exists(lib_ + "rt.jar.pack.gz")) << "inputs stay";
}

TEST_F(UnpackRunTest, AnyFailedRunFailsTheWhole) {
  const struct {
    const char* name;
    const char* content;
  } cases[] = {
      {"bad.jar.pack.gz", "fail"},          // nonzero exit
      {"silent.jar.pack.gz", "nothing"},    // no output file
      {"a.pack.gz", "library"},             // the target would be the folder itself
  };
  for (const auto& c : cases) {
    const std::string folder = lib_ + c.name + std::string(".d\\");
    CreateDirectoryA(folder.c_str(), nullptr);
    WriteFileText(folder + "good.jar.pack.gz", "library");
    WriteFileText(folder + c.name, c.content);
    UnpackRun run;
    EXPECT_TRUE(run.StartFolder(dir_, folder));
    EXPECT_FALSE(run.WaitAll(30000)) << c.name;
    EXPECT_EQ(run.Failure(), folder + c.name);
    EXPECT_TRUE(Exists(folder + "good.jar")) << c.name;
  }
}

TEST_F(UnpackRunTest, AMissingToolOrAnOverlongFolderFailsTheStart) {
  WriteFileText(lib_ + "rt.jar.pack.gz", "library");
  DeleteFileA((dir_ + "jre\\bin\\unpack200.exe").c_str());
  UnpackRun run;
  EXPECT_FALSE(run.StartFolder(dir_, lib_));
  EXPECT_EQ(run.Failure(), lib_ + "rt.jar.pack.gz");
  UnpackRun tooLong;
  EXPECT_FALSE(tooLong.StartFolder(dir_, lib_ + std::string(250, 'f') + '\\'));
  EXPECT_EQ(tooLong.Started(), 0u);
}
