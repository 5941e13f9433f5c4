#include "setup/res/resource.h"
#include "setup/ui/ctl_color_table.h"
#include "setup/ui/pointer_tracker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kelvamo;

TEST(PointerTracker, FollowsMovesAndNotices) {
  enum Event { MoveAccepted, MoveRefused, Hover, Leave };
  const struct {
    const char* name;
    std::vector<Event> events;
    PointerState state;
    int requests;  // notice requests made along the way
  } paths[] = {
      {"start", {}, PointerState::Away, 0},
      {"accepted move arms", {MoveAccepted}, PointerState::Armed, 1},
      {"refused move stays away", {MoveRefused}, PointerState::Away, 1},
      {"refused then accepted", {MoveRefused, MoveAccepted}, PointerState::Armed, 2},
      {"hover notice makes hot", {MoveAccepted, Hover}, PointerState::Hot, 1},
      {"leave while armed", {MoveAccepted, Leave}, PointerState::Away, 1},
      {"leave while hot", {MoveAccepted, Hover, Leave}, PointerState::Away, 1},
      {"move while hot keeps hot", {MoveAccepted, Hover, MoveRefused}, PointerState::Hot, 1},
      {"second entry", {MoveAccepted, Hover, Leave, MoveAccepted, Hover}, PointerState::Hot, 2},
  };
  for (const auto& path : paths) {
    PointerTracker tracker;
    int requests = 0;
    for (Event event : path.events) {
      switch (event) {
        case MoveAccepted:
        case MoveRefused:
          if (tracker.WantsNotices()) {
            ++requests;
            tracker.NoticesRequested(event == MoveAccepted ? 1 : 0);
          }
          break;
        case Hover:
          EXPECT_EQ(tracker.OnHoverNotice(), Repaint::WithErase) << path.name;
          break;
        case Leave:
          EXPECT_EQ(tracker.OnLeaveNotice(), Repaint::WithoutErase) << path.name;
          break;
      }
    }
    EXPECT_EQ(tracker.State(), path.state) << path.name;
    EXPECT_EQ(tracker.IsHot(), path.state == PointerState::Hot) << path.name;
    EXPECT_EQ(tracker.WantsNotices(), path.state == PointerState::Away) << path.name;
    EXPECT_EQ(requests, path.requests) << path.name;
  }
}

// The Wine test asks the real dialogs for every row of the table; here, the rules that pick a row.
TEST(CtlColorTable, PicksTheRowByDialogControlAndRequestKind) {
  const unsigned kButton = 3, kDialog = 4;
  const struct {
    int dialog, control;
    unsigned kind;
    bool white;
    FontChoice font;
  } cases[] = {
      {IDD_WELCOME_PAGE, 1008, kCtlColorStatic, true, {17, 600}},
      {IDD_WELCOME_PAGE, 1008, kButton, true, {0, 0}},  // welcome fonts: static requests only
      {IDD_WELCOME_PAGE, 0xFFFF, kCtlColorStatic, true, {0, 0}},  // any other control: white
      {IDD_FOLDER_PAGE, 1000, kButton, false, {13, 200}},  // browse: font, standard colours
      {IDD_EXIT_CONFIRM, 1000, kButton, false, {0, 0}},   // same id, the question's Yes
      {IDD_FINISH_PAGE, 1007, kButton, true, {14, 400}},  // a check box here, a title on 130/131
      {IDD_PROGRESS_PAGE, 1007, kCtlColorStatic, true, {14, 600}},
      {IDD_FOLDER_PAGE, IDD_FOLDER_PAGE, kDialog, false, {0, 0}},
      {102, 1007, kCtlColorStatic, false, {0, 0}},  // a dialog without a handler of its own
  };
  for (const auto& c : cases) {
    const CtlColorStyle style = CtlColorStyleFor(c.dialog, c.control, c.kind);
    SCOPED_TRACE(testing::Message() << "dialog " << c.dialog << " control " << c.control
                                    << " kind " << c.kind);
    EXPECT_EQ(style.white, c.white);
    EXPECT_EQ(style.font, c.font);
  }
}

TEST(CtlColorTable, FontsMadeOncePerDialog) {
  EXPECT_EQ(FontsOfDialog(IDD_WELCOME_PAGE), (std::vector<FontChoice>{{17, 600}, {13, 400}}));
  EXPECT_EQ(FontsOfDialog(IDD_FOLDER_PAGE),
            (std::vector<FontChoice>{{14, 600}, {13, 400}, {13, 200}}));
  EXPECT_EQ(FontsOfDialog(IDD_PROGRESS_PAGE), (std::vector<FontChoice>{{14, 600}, {13, 400}}));
  EXPECT_EQ(FontsOfDialog(IDD_FINISH_PAGE), (std::vector<FontChoice>{{17, 600}, {14, 400}}));
  EXPECT_TRUE(FontsOfDialog(IDD_EXIT_CONFIRM).empty());
}
