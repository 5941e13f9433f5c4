#pragma once

// Fixed facts about the product the installer carries, and the names of the files its programs
// hand to each other: compiled in, never configured. The installer, the packer's build and the
// tests all take them from here.
namespace kelvamo {

// The product as the uninstall entry names it. Its version is the build's KELVAMO_VERSION.
constexpr char kProductName[] = "Kelvamo";

// Host of the product's web site, which serves the page opened after a successful installation.
constexpr char kProductHost[] = "www.kelvamo.com";
// Who makes the product, as the uninstall entry names it.
constexpr char kPublisher[] = "Kelvamo";

// Registry keys under HKEY_LOCAL_MACHINE: the application's own ("Path") and its uninstall entry.
constexpr char kAppKey[] = "Software\\kelvamo";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kelvamo";

// The payload setup.exe unpacks into the install folder, then deletes: the archive and its
// extractor.
constexpr char kArchiveName[] = "kelvamo.uha";
constexpr char kExtractorName[] = "UHARC.EXE";

// The installed programs: the application, the uninstaller as the uninstall entry's command names
// it, and the uninstaller as the packed tree and its shortcut name it.
constexpr char kApplicationFile[] = "kelvamo.exe";
constexpr char kUninstallCommandFile[] = "uninstall.exe";
constexpr char kUninstallerFile[] = "Uninstall.exe";

// The list of the product's files and folders: the packer adds it to the archive, so the
// installation leaves it in the install folder for the uninstaller (docs/installed-files.md).
constexpr char kInstalledListFile[] = "uninstall.lst";

// What an installation keeps in the folder while it changes anything there: the journal that lets
// the next start take it back whole (or finish it), and the folder the files it replaces wait in
// until it is complete. The uninstaller leaves a folder with a journal to setup.exe.
constexpr char kJournalFile[] = "kelvamo-setup.journal";
constexpr char kBackupFolder[] = "kelvamo-setup.backup";
// The installer's log: written in the temporary folder, copied into the install folder when the
// installation is complete; the uninstaller removes it with the product.
constexpr char kSetupLogFile[] = "kelvamo-setup.log";
// Temporaries of the installer and its extractor: prefix, process id, '-', a count or a word,
// ".tmp".
constexpr char kSetupTemporaryPrefix[] = "kelvamo-setup-";
constexpr char kExtractorTemporaryPrefix[] = "uharc-";

// The notices the licences of what the programs link ask a binary distribution to carry
// (docs/third-party.md): the build puts them at the top of every product tree it packs.
constexpr char kNoticesFile[] = "THIRD-PARTY-NOTICES.txt";

// The shortcuts: the start-up and desktop link, and the start-menu group with its two links. The
// uninstaller's link name is a literal of each program's own execution character set.
constexpr char kLinkFile[] = "Kelvamo.lnk";
constexpr char kGroupFolder[] = "Kelvamo";
constexpr char kUninstallerLinkFile[] = "卸载.lnk";

}  // namespace kelvamo
