#pragma once
#include <vector>

// Background colour and font of the wizard pages' and the exit question's controls, answered when
// the platform asks a dialog for a control's colours.
namespace kelvamo {

constexpr int kWelcomePageId = 129;
constexpr int kFolderPageId = 130;
constexpr int kProgressPageId = 131;
constexpr int kFinishPageId = 134;
constexpr int kExitConfirmId = 135;

// Request kinds, as the framework numbers them.
constexpr unsigned kCtlColorStatic = 6;

constexpr int kFontExtraLight = 200;
constexpr int kFontNormal = 400;
constexpr int kFontSemibold = 600;

struct FontChoice {
  int height;  // character cell height in pixels; 0: keep the template's font
  int weight;
  bool operator==(const FontChoice& other) const {
    return height == other.height && weight == other.weight;
  }
};

struct CtlColorStyle {
  bool white;  // white text background and brush; otherwise the default handling's
  FontChoice font;
};

CtlColorStyle CtlColorStyleFor(int dialogId, int controlId, unsigned requestKind);

// The distinct fonts a dialog's answers select, so each can be made once per dialog.
std::vector<FontChoice> FontsOfDialog(int dialogId);

}  // namespace kelvamo
