#include "lib/archive/second_thread.h"

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <chrono>
#include <thread>
#endif

namespace uha {

void SecondThread::Run(SecondThread* self) {
  self->task_(self->context_);
  self->done_ = true;
}

#ifdef _WIN32

namespace {
unsigned __stdcall ThreadEntry(void* self) {
  SecondThread::Run(static_cast<SecondThread*>(self));
  return 0;
}
}  // namespace

bool SecondThread::Start(Task task, void* context) {
  task_ = task;
  context_ = context;
  done_ = false;
  handle_ = reinterpret_cast<void*>(_beginthreadex(nullptr, 0, ThreadEntry, this, 0, nullptr));
  return handle_ != nullptr;
}

bool SecondThread::WaitFor(unsigned ms) {
  if (handle_ != nullptr) WaitForSingleObject(handle_, ms);
  return done_;
}

void SecondThread::Join() {
  if (handle_ == nullptr) return;
  WaitForSingleObject(handle_, INFINITE);
  CloseHandle(handle_);
  handle_ = nullptr;
}

#else

bool SecondThread::Start(Task task, void* context) {
  task_ = task;
  context_ = context;
  done_ = false;
  try {
    handle_ = new std::thread(Run, this);
  } catch (...) {
    return false;
  }
  return true;
}

bool SecondThread::WaitFor(unsigned ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done_ && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done_;
}

void SecondThread::Join() {
  if (handle_ == nullptr) return;
  auto* thread = static_cast<std::thread*>(handle_);
  thread->join();
  delete thread;
  handle_ = nullptr;
}

#endif

}  // namespace uha
