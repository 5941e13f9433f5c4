#pragma once
#include <windows.h>

#include <string>

class ListedFolder;

// The run's log: one file in the temporary folder, written line by line as the run goes (each
// line reaches the disk before the step it names is taken), copied into the install folder when
// the installation is complete. Its last line gives the outcome and the exit code.

// The steps the log names; whoever watches a run (a deployment tool, the tests) may wait for them.
constexpr char kStepJournal[] = "journal written";
constexpr char kStepMovingAside[] = "moving replaced files aside";
constexpr char kStepRegistry[] = "registry records written";
constexpr char kStepPayload[] = "payload written";
constexpr char kStepExtracting[] = "extracting";  // then the percentage reached: "extracting 40%"
constexpr char kStepExpanding[] = "expanding the runtime";
constexpr char kStepTreeComplete[] = "every file in place";
constexpr char kStepCommitted[] = "committed";
constexpr char kStepTakingBack[] = "taking the installation back";
constexpr char kStepRecovering[] = "recovering an interrupted installation in";
constexpr char kOutcomePrefix[] = "outcome: ";

// The log's path: the temporary folder and kSetupLogFile.
std::wstring SetupLogPath();
// Starts the log afresh; a log that cannot be written costs the run nothing.
void OpenSetupLog(const std::string& version);
void LogStep(const std::string& step);
// A file or registry operation that failed, with the platform's error code.
void LogFailure(const char* operation, const std::string& name, DWORD error);
// The last line: the outcome's name and the exit code.
void LogOutcome(int exitCode);
// Copies the log as it stands into the folder, replacing an earlier one; false when it could not.
bool CopySetupLogInto(const ListedFolder& folder);
