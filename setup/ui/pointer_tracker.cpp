#include "setup/ui/pointer_tracker.h"

namespace kelvamo {

PointerState PointerTracker::State() const {
  if (m_bHover) return PointerState::Hot;
  return m_bMouseTracked ? PointerState::Armed : PointerState::Away;
}

Repaint PointerTracker::OnHoverNotice() {
  m_bHover = 1;
  return Repaint::WithErase;
}

Repaint PointerTracker::OnLeaveNotice() {
  m_bHover = 0;
  m_bMouseTracked = 0;
  return Repaint::WithoutErase;
}

}  // namespace kelvamo
