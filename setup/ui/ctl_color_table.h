#pragma once
#include <vector>

// Background colour and font of the wizard pages' and the exit question's controls, answered when
// the platform asks a dialog for a control's colours.
// Dialogs and controls are named by their resource ids (res/resource.h).
namespace kelvamo {

// Request kinds, as the framework numbers them.
constexpr unsigned kCtlColorStatic = 6;

// Every control id the table names lies in this range; a dialog's own id and its image statics
// fall outside it.
constexpr int kFirstStyledControlId = 1000;
constexpr int kLastStyledControlId = 1012;

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
