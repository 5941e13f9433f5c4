#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "uninstall/uninstall_args.h"

// The uninstaller cannot delete its own file or the folder it runs from, so it works from a copy
// of itself in the temporary folder. The copy's file is opened to be deleted on close and that
// handle is inherited by the copy, so the system deletes the file when the copy ends. The original
// waits for the copy's report, so whoever started it sees the result when the work is done; the
// copy then waits for the original to end before it deletes the original's file.

// Starts the copy and waits for its report: its exit code. Nothing when no copy could be started.
std::optional<int> RunFromTemporaryCopy(const std::wstring& ownPath, bool silent);

// In the copy, first: whether its handles are the ones the original handed over: a process, a
// pipe, and the original's own file, still the one its path names. Typed by hand, they are not.
// Closes the file's handle.
bool HandedOverByOriginal(const kelvamo::UninstallArgs& args);
// In the copy: hands the exit code to the original, which then ends.
bool ReportToOriginal(std::uintptr_t pipe, int code);
// In the copy: waits for the original to end; false when it has not within the time.
bool WaitForOriginal(std::uintptr_t process);
// In the copy, last: where the delete-on-close handle did not come through, the copy's own file
// is deleted at the next start of the system.
bool ArrangeOwnDeletion(std::uintptr_t self);
