#pragma once
#include <string>
#include <string_view>

// What a screen reader is told about each control of the wizard, its pages and the exit question
// (Microsoft Active Accessibility): the role, where the name comes from, and how the state and
// value differ from what the system's own proxy reports.
namespace kelvamo {

// The roles as oleacc numbers them (ROLE_SYSTEM_*).
enum class AccessibleRole : long {
  Client = 10,
  Grouping = 20,
  Separator = 21,
  PropertyPage = 38,
  Graphic = 40,
  StaticText = 41,
  Text = 42,
  PushButton = 43,
  CheckButton = 44,
  ProgressBar = 48,
};

// Window classes of the controls, told apart as the dialog manager makes them.
enum class ControlClass { Button, Static, Edit, Progress, Dialog, Other };
ControlClass ControlClassOf(std::wstring_view className);

// Whence a control's name comes.
enum class NameSource {
  System,      // the proxy's own
  OwnButton,   // the caption without key hint and arrows
  OwnText,     // its own text, trimmed
  OtherText,   // the trimmed text of another control of the dialog (`nameFromId`)
};

struct AccessibleRule {
  AccessibleRole role;
  NameSource name;
  int nameFromId;    // with NameSource::OtherText
  bool focusable;    // takes the keyboard focus; the proxy calls every window focusable
  bool readOnly;     // text that cannot be changed
  bool checkable;    // the check mark is part of the state
  bool hidden;       // covered for good: the wizard's placeholder beneath the pages
  bool percentValue; // the value is the bar's position in percent
};

// The rule for control `controlId` of dialog `dialogId` (a resource id; the dialog itself is
// asked for with its own id as `controlId`). `style` is the window style.
AccessibleRule AccessibleRuleFor(int dialogId, int controlId, ControlClass windowClass,
                                 unsigned long style);

// The value of a bar at `position` between `low` and `high`: "42%".
std::wstring PercentText(int position, int low, int high);

}  // namespace kelvamo
