#pragma once
#include <string>
#include <vector>

// Puts the recording stand-in (browser_recorder.exe, built next to the tests) at the browser's
// fixed path for its lifetime, and gives back Wine's own browser afterwards. Programs started
// from this process after construction run the stand-in, which records its command lines.
class BrowserStandIn {
 public:
  BrowserStandIn();
  ~BrowserStandIn();
  BrowserStandIn(const BrowserStandIn&) = delete;
  BrowserStandIn& operator=(const BrowserStandIn&) = delete;

  bool installed() const { return installed_; }
  // Takes the browser away, as on a system without it.
  void Remove();
  // The command lines recorded so far, waiting up to `waitMs` for at least `expected` of them.
  std::vector<std::string> Recorded(size_t expected, unsigned waitMs) const;

 private:
  std::string record_;
  std::string backup_;
  bool installed_ = false;
};
