#include "setup/app/start_recovery.h"

#include "setup/engine/install_journal_file.h"
#include "setup/engine/registry_records.h"
#include "setup/framework/afx.h"
#include "shared/kelvamo_product.h"

namespace {

const char kInterrupted[] = "上次安装 Kelvamo 时被中断。";
const char kFirstTakenBack[] = "那次安装写入的文件和注册表项已全部撤销，现在可以重新安装。";
const char kVersionBack[] = "已恢复为中断前安装的版本";
const char kVersionBackEnd[] = "，现在可以重新安装。";
const char kFinished[] = "那次安装已经完整，剩下的清理现已完成。";
const char kStuck[] =
    "上次被中断的 Kelvamo 安装未能完全恢复：有些文件可能正被其他程序使用。"
    "请关闭其他程序后重新运行安装程序。";
const char kDamagedJournal[] = "文件夹中的安装记录已损坏，无法自动恢复：";
const char kDamagedEnd[] = "\r\n请检查该文件夹，删除这个文件后重新运行安装程序。";

// Tells the user what was restored; false when nothing may be installed there.
bool Tell(Recovery outcome, const kelvamo::InstallJournal& journal, const std::string& installDir,
          bool& recovered) {
  std::string text = kInterrupted;
  switch (outcome) {
    case Recovery::kNothing:
      return true;
    case Recovery::kTakenBack:
      if (!kelvamo::PriorVersion(journal).empty()) {
        text += kVersionBack + (' ' + kelvamo::PriorVersion(journal)) + kVersionBackEnd;
      } else {
        text += kFirstTakenBack;
      }
      break;
    case Recovery::kFinished:
      text += kFinished;
      break;
    case Recovery::kStuck:
      AfxMessageBox(kStuck, MB_OK | MB_ICONSTOP);
      return false;
    case Recovery::kDamaged:
      AfxMessageBox((kDamagedJournal + installDir + kelvamo::kJournalFile + kDamagedEnd).c_str(),
                    MB_OK | MB_ICONSTOP);
      return false;
  }
  recovered = true;
  AfxMessageBox(text.c_str(), MB_OK | MB_ICONINFORMATION);
  return true;
}

}  // namespace

bool RecoverInterrupted(const std::string& installDir, bool& recovered) {
  kelvamo::InstallJournal journal;
  return Tell(RecoverIn(installDir, journal), journal, installDir, recovered);
}

bool RecoverAtStart(bool& recovered) {
  kelvamo::InstallJournal journal;
  std::string pointed;
  if (!Tell(RecoverPointed(journal, pointed), journal, pointed, recovered)) return false;
  // A journal the pointer no longer names (its record lost with the power) is found where the
  // product's records point.
  for (const std::string& folder : RecordedFolders()) {
    if (!RecoverInterrupted(folder, recovered)) return false;
  }
  return true;
}
