// Removing the names a file list gives inside one folder, and nothing outside it: the uninstaller
// and the installer's upgrade step remove with the same rules.
//
// The folder is opened once, without following a link, and every name is reached relative to
// that handle one component at a time. Each object opened must be the one its path inside the
// folder names: no reparse point (link, junction), and the system's own name for the object is
// the folder's name and the path. The second check finds what the first cannot: Wine shows a
// Unix link to a file as a plain file, follows Unix links even when asked not to, and deletes
// the link's target; its name for the opened object is the target's. Such names stay.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lib/product/installed_list.h"

// The last error a name refused as a link (or below one) leaves; other refusals leave the
// platform's own.
constexpr DWORD kRefusedLink = ERROR_CANT_RESOLVE_FILENAME;

class ListedFolder {
 public:
  ListedFolder() = default;
  ~ListedFolder();
  ListedFolder(const ListedFolder&) = delete;
  ListedFolder& operator=(const ListedFolder&) = delete;

  // Opens the folder at `path` (absolute, with or without a trailing backslash); false when it
  // is missing, not a folder, or a link.
  bool Open(const std::wstring& path);
  // As Open, and the folder cannot be renamed or deleted by anyone while this object holds it.
  bool Hold(const std::wstring& path);
  // Lets go of the folder: held, it could not be removed.
  void Release();
  // Whether both are open on one folder (volume and file id): the folder the list was read from
  // is still the one its path names.
  bool SameAs(const ListedFolder& other) const;

  // The listed file `name` (components joined by backslashes) read whole; nothing when it is
  // missing, a link, larger than `maxBytes` or cannot be read.
  std::optional<std::string> Read(const std::wstring& name, DWORD maxBytes) const;
  // Whether the listed `name` is a folder (and no link).
  bool IsFolder(const std::wstring& name) const;
  // The size of the listed file `name`; nothing when it is missing, a folder or a link.
  std::optional<std::uint64_t> FileSize(const std::wstring& name) const;
  // Deletes the listed file `name`, read-only or not; true when it is gone or was never there.
  // A name that is a folder or a link, or lies below a link, stays; the last error says why.
  bool RemoveFile(const std::wstring& name) const;
  // Removes the listed folder `name` when it is empty and no link; true when it is gone or was
  // never there.
  bool RemoveFolder(const std::wstring& name) const;
  // Removes the folder itself when it is empty; true when it is gone.
  bool RemoveItself() const;

  // Makes the listed folder `name` and every folder on the way that is missing; false when any of
  // them is a file or a link.
  bool MakeFolder(const std::wstring& name) const;
  // Gives the listed file `from` the listed name `to` (its folders made as needed), replacing a
  // file that stands there; the file must be open nowhere else. False, the last error saying
  // why, when `from` is missing, a link, open elsewhere or cannot be renamed.
  bool MoveWithin(const std::wstring& from, const std::wstring& to) const;
  // Whether another program holds the listed file open, so that it could be neither moved nor
  // replaced.
  bool InUse(const std::wstring& name) const;

  // Files the installer writes itself. A name is never followed: a new file is made under a name
  // nothing stands at and then given its final name, which replaces whatever stood there (a
  // link, a hard link, a user's file) as a name.
  //
  // A new file `name` open for writing and deleting and shared with nobody; null when anything
  // stands at the name.
  HANDLE CreateNewFile(const std::wstring& name) const;
  // Renames the open file to `name`, replacing what stood there; false when that is a folder.
  bool RenameInto(HANDLE file, const std::wstring& name) const;
  // The file `name` with `access`, sharing only reading: while it is open nobody else can write,
  // rename or delete it. Null when it is missing, or open elsewhere for writing.
  HANDLE OpenHeld(const std::wstring& name, ACCESS_MASK access) const;
  // Whether `file` is no link, the system names it by this folder and `name`, and that is its
  // only name: what it holds can be reached in no other way.
  bool IsOnlyName(HANDLE file, const std::wstring& name) const;

 private:
  bool OpenSharing(const std::wstring& path, DWORD share);
  // Renames the open file to `name` below the folder, replacing what stood there.
  bool RenameBelow(HANDLE file, const std::wstring& name) const;

  HANDLE m_handle = nullptr;
  std::wstring m_path;  // as opened, without a trailing backslash
  std::wstring m_name;  // the system's name for the folder
};

// What a removal left: the listed names of the files that could not be deleted, with the error
// each failed with, and of the folders that stay (not empty, or not removable).
struct RemovalLeft {
  std::vector<std::string> files;
  std::vector<DWORD> fileErrors;
  std::vector<std::string> folders;
};
// Removes the plan's files, then its folders deepest first, each only when empty: the uninstaller
// and the installer's upgrade remove in this one order.
RemovalLeft RemovePlanned(const ListedFolder& folder, const kelvamo::RemovalPlan& plan);

// Whether two handles are open on the same file or folder (volume and file id).
bool SameFileObject(HANDLE a, HANDLE b);
// Marks the open file for deletion (clearing read-only first); it goes when the last handle closes.
bool DeleteThrough(HANDLE file);

// A listed name (UTF-8, "/" between components) as the folder's calls take it: UTF-16 with
// backslashes; empty when it is not UTF-8.
std::wstring ListedName(const std::string& name);

// The installed-files list in `folder`; nothing when it is missing, a link, unreadable or damaged.
std::optional<std::vector<kelvamo::ListedEntry>> ReadInstalledList(const ListedFolder& folder);
