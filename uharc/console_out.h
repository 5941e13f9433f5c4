// Writes rows to the console the extractor shares with whoever started it (a hidden one, when an
// installer runs it), or to a file or pipe when output is redirected.
#pragma once

#include <windows.h>

#include <string>

#include "uharc/console_rows.h"

namespace uharc {

class ConsoleOut {
 public:
  ConsoleOut();
  // Text from UTF-8 into the console's code page; characters it lacks become '?'.
  std::string Encode(const std::string& utf8) const;
  const CellModel& cells() const { return cells_; }
  // One call per row, so a reader never sees half of one.
  void Write(const std::string& row) const;

 private:
  void MeasureDoubleByteWidth();

  HANDLE handle_;
  bool is_console_;
  UINT code_page_;
  CellModel cells_;
};

}  // namespace uharc
