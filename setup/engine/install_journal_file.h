#pragma once
#include <string>

#include "lib/product/install_journal.h"

class ListedFolder;

// The journal as a file in the install folder (kJournalFile), and what it lets a later run do:
// take a cut-off installation back to the state it recorded, or finish one that was whole.

// Writes the journal whole under a fresh name, on the disk, then gives it the journal's name: a
// run cut off meanwhile leaves the previous journal or this one, never half of either.
bool WriteJournal(const ListedFolder& folder, const kelvamo::InstallJournal& journal);

enum class JournalFound { kNone, kFound, kDamaged };
// The folder's journal; kDamaged when one stands there that cannot be read or does not name
// this very folder (`installDir`, as the installer spells it).
JournalFound ReadJournal(const ListedFolder& folder, const std::string& installDir,
                         kelvamo::InstallJournal& journal);

// Undoes what the journal's installation did: the files it wrote and the temporaries it left
// go, the files it moved aside come back, the folders it made go when empty, the registry records
// are as they were, and the journal goes last. Anything that stays keeps the journal, so that the
// next run tries again. True when all is as it was.
bool TakeBack(const ListedFolder& folder, const kelvamo::InstallJournal& journal);

// Finishes an installation that was whole: the old version's files moved aside and its folders
// that the new one does not have go, and the registered installation it replaced in another
// folder; the journal goes last. True when nothing stale is left.
bool FinishCommitted(const ListedFolder& folder, const kelvamo::InstallJournal& journal);

// What the start of a run found in a folder.
enum class Recovery {
  kNothing,    // no journal: no installation was cut off there
  kTakenBack,  // a cut-off installation was taken back whole
  kFinished,   // an installation that was whole had its clean-up finished
  kStuck,      // something could not be put back; the journal stays for the next run
  kDamaged,    // a journal stands there that cannot be read: nothing was touched
};
// Finds the journal in `installDir` and restores the state it records; `journal` is what it said.
Recovery RecoverIn(const std::string& installDir, kelvamo::InstallJournal& journal);
// The same for the folder the journal pointer names (`installDir` is set to it). A run cut off
// before its journal was written has its folders made on the way removed when empty.
Recovery RecoverPointed(kelvamo::InstallJournal& journal, std::string& installDir);

// Removes the folders from `installDir` up to `outermostMade`, innermost first, each only when
// it is empty.
void RemoveMadeFolders(const std::string& installDir, const std::string& outermostMade);
