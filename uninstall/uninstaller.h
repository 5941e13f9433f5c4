#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "lib/win32/listed_removal.h"
#include "uninstall/product_files.h"

// One removal of the installation in a folder: the question, the check for the running
// application, the files, links and keys, and the closing message. Silent, it shows no window
// and takes every question's safe answer.
class Uninstaller {
 public:
  Uninstaller(std::wstring folder, bool silent);

  // Everything but the uninstaller's own file and the install folder itself; the exit code.
  int Remove();
  // After the original uninstaller has ended (or, `now` false, at the next start of the system):
  // its file and the install folder when empty, where the removal went ahead.
  bool RemoveOriginal(const std::wstring& originalPath, bool now);
  // The closing message for this exit code; nothing when silent or nothing was removed.
  void ShowResult(int code) const;

 private:
  bool Ask(const std::wstring& text) const;
  bool ApplicationClosed() const;
  bool RemoveFiles(const kelvamo::RemovalPlan& plan);
  std::wstring KeptFoldersText() const;
  // Notes a listed file that stays, with the last error as the reason.
  void NoteFailedFile(const std::string& name);
  // What stays and why, said first, and that the entry stays for a later run.
  std::wstring FailedFilesText() const;

  std::wstring m_folder;  // ends with a backslash
  bool m_silent;
  ListedFolder m_listed;  // the folder the list was read from, held to the end
  bool m_folderChanged = false;
  bool m_interrupted = false;  // an installation was cut off in the folder
  bool m_entriesRemoved = true;  // no link or key of this installation stayed
  int m_entriesCount = 0;        // links and keys removed
  bool m_removeOriginal = false;
  std::vector<std::wstring> m_listedFolders;
  std::vector<std::wstring> m_failedFiles;
  std::vector<DWORD> m_failedReasons;  // the platform's error for each failed file
};
