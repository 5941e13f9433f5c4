#include "uharc/console_out.h"

#include "lib/win32/wide_path.h"
#include "uharc/win32_sink.h"

namespace uharc {

ConsoleOut::ConsoleOut() : handle_(GetStdHandle(STD_OUTPUT_HANDLE)) {
  DWORD mode = 0;
  is_console_ =
      handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr && GetConsoleMode(handle_, &mode);
  code_page_ = GetConsoleOutputCP();
  if (code_page_ == 0) code_page_ = GetACP();
  CPINFO info;
  if (!GetCPInfo(code_page_, &info) || info.MaxCharSize > 2) {
    code_page_ = 20127;  // UTF-8 and the like: cells and bytes differ, so keep to ASCII
    return;
  }
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
    for (int b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; ++b) cells_.lead[b] = true;
  }
  if (is_console_) MeasureDoubleByteWidth();
}

// Writes one double-byte character to a scratch screen buffer that is never shown and sees how
// far the cursor moves: the rows must put the percentage in the same cells on every console.
void ConsoleOut::MeasureDoubleByteWidth() {
  const std::string probe = Encode("\xE4\xB8\xAD");  // U+4E2D
  if (probe.size() != 2 || !cells_.lead[static_cast<unsigned char>(probe[0])]) return;
  HANDLE scratch =
      CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
  if (scratch == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (WriteConsoleA(scratch, probe.data(), 2, &written, nullptr) &&
      GetConsoleScreenBufferInfo(scratch, &info) &&
      (info.dwCursorPosition.X == 1 || info.dwCursorPosition.X == 2)) {
    cells_.double_byte_width = info.dwCursorPosition.X;
  }
  CloseHandle(scratch);
}

std::string ConsoleOut::Encode(const std::string& utf8) const {
  const std::wstring wide = WidenUtf8(utf8);
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(code_page_, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, "?", nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(code_page_, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, "?",
                      nullptr);
  return out;
}

void ConsoleOut::Write(const std::string& row) const {
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(row.size());
  if (is_console_) {
    WriteConsoleA(handle_, row.data(), size, &written, nullptr);
  } else if (handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr) {
    WriteFile(handle_, row.data(), size, &written, nullptr);
  }
}

}  // namespace uharc
