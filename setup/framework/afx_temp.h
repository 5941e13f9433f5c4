#pragma once
#include <map>
#include <memory>

// Temporary wrappers for handles the program does not own (CWnd::FromHandle, CDC::FromHandle,
// CGdiObject::FromHandle). One wrapper per handle; all are let go when the outermost window
// message returns to the message loop, so a handler may use them for as long as it runs.
namespace afx_temp {

class Registry {
public:
  virtual ~Registry() = default;
  virtual void Clear() = 0;
};

void Register(Registry* map);
// Counts nested message handling; leaving the outermost level clears every registered map.
void EnterMessage();
void LeaveMessage();

template <class Wrapper, class Handle>
class Map : public Registry {
public:
  Map() { Register(this); }
  Wrapper* For(Handle handle) {
    std::unique_ptr<Wrapper>& slot = m_wrappers[handle];
    if (!slot) {
      slot = std::make_unique<Wrapper>();
      slot->AttachTemporary(handle);
    }
    return slot.get();
  }
  void Clear() override {
    for (auto& entry : m_wrappers) entry.second->DetachTemporary();
    m_wrappers.clear();
  }

private:
  std::map<Handle, std::unique_ptr<Wrapper>> m_wrappers;
};

// Wrapper for `handle`; maps are created on first use and live for the program's run.
template <class Wrapper, class Handle>
Wrapper* For(Handle handle) {
  static Map<Wrapper, Handle>* map = new Map<Wrapper, Handle>();
  return map->For(handle);
}

// Keeps the message depth up for the life of a scope.
class MessageScope {
public:
  MessageScope() { EnterMessage(); }
  ~MessageScope() { LeaveMessage(); }
  MessageScope(const MessageScope&) = delete;
  MessageScope& operator=(const MessageScope&) = delete;
};

}  // namespace afx_temp
