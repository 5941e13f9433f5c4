#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class ListedFolder;

// One payload file in the install folder, written new and held open from then on so that nobody
// else can write, rename or delete it: what the extractor reads and what runs is what was
// written. docs/payload-files.md tells how this holds on Windows and under Wine.
class HeldPayloadFile {
 public:
  // The extractor is held with delete access, so it is deleted through the handle that checked
  // it; the archive's reader shares no deleting, so the archive is held for reading only.
  enum class Hold { kReadAndDelete, kRead };

  HeldPayloadFile() = default;
  ~HeldPayloadFile();
  HeldPayloadFile(const HeldPayloadFile&) = delete;
  HeldPayloadFile& operator=(const HeldPayloadFile&) = delete;

  // Writes `size` bytes as a new file under a name of its own, gives it the name `name`
  // (replacing, never following, whatever stood there), holds it sharing only reading and
  // checks through that handle: the file written, under its only name, `expectedBytes` long
  // with CRC-32 `expectedCrc`. False, with nothing held, when any step fails: a file that is not
  // the one written is someone else's and stays.
  bool Write(const ListedFolder& folder, const std::wstring& name, const void* bytes, DWORD size,
             std::uint64_t expectedBytes, std::uint32_t expectedCrc, Hold hold);
  // Deletes the file written: through the held handle, or through one opened after it and proven
  // to be the same file. True when it is gone or nothing is held.
  bool Delete(const ListedFolder& folder);

 private:
  bool SameFile(HANDLE file) const;
  bool HoldsPayload(std::uint64_t expectedBytes, std::uint32_t expectedCrc) const;
  void Close();

  HANDLE m_handle = nullptr;
  Hold m_hold = Hold::kRead;
  std::wstring m_name;
  DWORD m_volume = 0, m_indexHigh = 0, m_indexLow = 0;
};
