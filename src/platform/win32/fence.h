// The fence around code that runs inside a procedure or callback the system calls (a window or
// dialog procedure, a hook, an enumeration callback): an exception must never unwind through
// the system's frames, so the first one is kept and rethrown once the system call has returned.
#pragma once

#include <exception>
#include <utility>

namespace tavilune::win32 {

class Fence {
 public:
  // Runs work; returns false when it threw (the exception is kept).
  template <typename Work>
  bool Run(Work&& work) noexcept {
    try {
      std::forward<Work>(work)();
      return true;
    } catch (...) {
      if (!failure_) failure_ = std::current_exception();
      return false;
    }
  }
  bool Failed() const { return failure_ != nullptr; }
  // After the system call: what the callbacks threw is thrown here.
  void Rethrow() {
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
  }

 private:
  std::exception_ptr failure_;
};

}  // namespace tavilune::win32
