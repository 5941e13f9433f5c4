#pragma once
#include <string>

// Puts command_recorder.exe at the browser's fixed path for its lifetime and gives back Wine's own
// browser afterwards. Programs started from this process afterwards run the stand-in.
class BrowserStandIn {
 public:
  BrowserStandIn();
  ~BrowserStandIn();
  BrowserStandIn(const BrowserStandIn&) = delete;
  BrowserStandIn& operator=(const BrowserStandIn&) = delete;

  bool installed() const { return installed_; }
  // Takes the browser away, as on a system without it.
  void Remove();

 private:
  std::string backup_;
  bool installed_ = false;
};
