#pragma once

// What the uninstaller says, in the words the product's installer uses.
namespace texts {

constexpr wchar_t kCaption[] = L"Kelvamo 卸载";
constexpr wchar_t kUsage[] = L"用法: Uninstall.exe [/S]\r\n\r\n/S  不显示任何窗口，直接卸载。";
constexpr wchar_t kConfirm[] =
    L"你确实要从此计算机上卸载 Kelvamo 吗?\r\n\r\n你自己放进安装文件夹的文件会保留下来。";
constexpr wchar_t kRunning[] =
    L"Kelvamo 正在运行，无法卸载。\r\n\r\n请先关闭 Kelvamo，然后按“重试”。按“取消”则不卸载任何内容。";
constexpr wchar_t kNoListBefore[] = L"安装文件夹中的文件清单 ";
constexpr wchar_t kNoListAfter[] =
    L" 不存在或已损坏。卸载程序无法确定哪些文件属于 Kelvamo，因此不会删除任何文件。\r\n\r\n"
    L"是否只删除 Kelvamo 的注册表项和快捷方式?";
constexpr wchar_t kInterrupted[] =
    L"Kelvamo 的安装在这个文件夹中被中断过，需要先由安装程序恢复，卸载程序没有删除任何内容。\r\n\r\n"
    L"请运行 Kelvamo 安装程序：它启动时会恢复中断前的状态，之后即可卸载。";
constexpr wchar_t kRemoved[] = L"Kelvamo 已从此计算机上删除。";
constexpr wchar_t kOnlyEntriesRemoved[] =
    L"Kelvamo 的注册表项和快捷方式已删除。安装文件夹中的文件没有删除:\r\n";
constexpr wchar_t kNoEntriesFound[] =
    L"没有找到这个文件夹中的 Kelvamo 的注册表项和快捷方式，什么也没有删除:\r\n";
constexpr wchar_t kFolderChanged[] =
    L"安装文件夹在卸载期间被替换，卸载程序没有删除任何内容:\r\n";
constexpr wchar_t kEntriesKept[] = L"\r\n\r\n有些快捷方式或注册表项无法删除。";
constexpr wchar_t kFoldersKept[] = L"\r\n\r\n以下文件夹保留了下来:";
constexpr wchar_t kKeptForOtherFiles[] = L"\r\n  原因: 其中有不是 Kelvamo 安装的文件。";
constexpr wchar_t kKeptForFailedFiles[] = L"\r\n  原因: 其中有 Kelvamo 的文件无法删除(可能正被使用)。";
constexpr wchar_t kMoreFolders[] = L"\r\n……";
constexpr wchar_t kNotAllRemoved[] =
    L"Kelvamo 没有完全删除。以下文件无法删除，仍留在此计算机上:";
constexpr wchar_t kReasonPrefix[] = L"\r\n  原因: ";
constexpr wchar_t kReasonInUse[] = L"正被其他程序使用。";
constexpr wchar_t kReasonDenied[] = L"拒绝访问(可能正被使用，或没有删除它的权限)。";
constexpr wchar_t kReasonLink[] = L"它是指向别处的链接，卸载程序不会经由它删除任何内容。";
constexpr wchar_t kReasonOther[] = L"无法删除，错误代码 ";
constexpr wchar_t kMoreFiles[] = L"\r\n……";
constexpr wchar_t kEntryKept[] =
    L"\r\n\r\nKelvamo 的卸载项已保留。关闭使用这些文件的程序后，再次运行卸载程序即可完成卸载。";

}  // namespace texts
