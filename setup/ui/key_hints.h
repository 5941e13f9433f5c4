#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The keys the captions promise in parentheses ("下一步(N) >", "是(Y)"): which letter a caption
// hints at, which button a key press means, and the caption as a screen reader should say it.
// The captions carry no "&", so the dialog manager knows nothing of these keys.
namespace kelvamo {

// The upper-case letter of the first "(X)" in `caption`; none when there is no such hint.
std::optional<wchar_t> KeyHintOf(std::wstring_view caption);

// A button's caption without its key hint and without the arrows that point the way ("<", ">"),
// blanks trimmed: "< 上一步(P)" reads "上一步", "浏览(B)..." reads "浏览...".
std::wstring SpokenButtonName(std::wstring_view caption);

// Text with the blanks, tabs and line breaks at either end taken off.
std::wstring TrimmedText(std::wstring_view text);

// How a hinted key is written for a screen reader: "Alt+N".
std::wstring ShortcutText(wchar_t hint);

struct HintedButton {
  std::optional<wchar_t> hint;
  bool usable;  // visible and enabled: a hidden or disabled button does not act
};

// The button that a key press presses: a letter with Alt, or also without it where the dialog
// takes letters alone (the exit question). The index into `buttons`, or none.
std::optional<size_t> ButtonForKey(const std::vector<HintedButton>& buttons, unsigned virtualKey,
                                   bool alt, bool lettersAlone);

}  // namespace kelvamo
