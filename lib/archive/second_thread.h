// One task run on a thread of its own. Windows builds make the thread themselves rather than pull
// in a threads runtime: the extractor inside setup.exe is kept small.
#pragma once

#include <atomic>

namespace uha {

class SecondThread {
 public:
  using Task = void (*)(void* context);

  SecondThread() = default;
  SecondThread(const SecondThread&) = delete;
  SecondThread& operator=(const SecondThread&) = delete;
  ~SecondThread() { Join(); }

  // False when no thread could be made; the caller then runs the task itself.
  bool Start(Task task, void* context);
  // True once the task has returned; waits up to `ms` milliseconds for that.
  bool WaitFor(unsigned ms);
  void Join();

  // The thread's body: the task, then the mark that it has returned.
  static void Run(SecondThread* self);

 private:
  Task task_ = nullptr;
  void* context_ = nullptr;
  std::atomic<bool> done_{false};
  void* handle_ = nullptr;
};

}  // namespace uha
