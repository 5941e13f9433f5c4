#pragma once

// Whether the pointer rests on a drawn button, from the platform's hover and leave notices.
namespace kelvamo {

enum class PointerState { Away, Armed, Hot };

// Which repaint a notice calls for: entering hover erases the background, leaving does not.
enum class Repaint { WithErase, WithoutErase };

class PointerTracker {
 public:
  PointerState State() const;
  bool IsHot() const { return m_bHover != 0; }

  // A mouse move asks for notices only while none are pending.
  bool WantsNotices() const { return m_bMouseTracked == 0; }
  // Result of the request: nonzero when the platform accepted it; a refusal is asked again later.
  void NoticesRequested(int result) { m_bMouseTracked = result; }

  Repaint OnHoverNotice();
  Repaint OnLeaveNotice();

 private:
  int m_bHover = 0;
  int m_bMouseTracked = 0;
};

}  // namespace kelvamo
