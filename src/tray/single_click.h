// The short-lived worker that tells a single left click on a tray icon from the first click of
// a double click: it sleeps the double-click time plus 50 ms and hands its completion to the
// user-interface thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace tavilune {

class TApplication;

// Where single-click workers run and how they sleep. The system's runs each on a thread of its
// own that frees itself when done; tests put a fake in its place to run them at a moment of
// their choosing without sleeping.
class ClickWorkers {
 public:
  virtual ~ClickWorkers() = default;
  // Runs the body on a new thread; the thread ends and frees itself when the body returns.
  virtual void Start(std::function<void()> body) = 0;
  // Called on a worker's own thread.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
};

ClickWorkers& SystemClickWorkers();

// What a callback window shares with the workers it started. When the window goes, the
// workers are told to drop their completions, and the window waits for any completion that
// is already on its way to the user-interface thread, so none ever runs on a window that no
// longer exists.
class SingleClickHandOver {
 public:
  // On a worker: false when the completion must be dropped; otherwise the hand-over has begun
  // and EndHandOver must follow.
  bool BeginHandOver();
  void EndHandOver();
  // On the user-interface thread, as the window goes: runs the completions already handed
  // over (which find the window closing and do nothing) until no worker is handing over.
  void Abandon(TApplication& application);

 private:
  std::mutex mutex_;
  std::condition_variable idle_;
  bool abandoned_ = false;
  int handingOver_ = 0;
};

class TSingleClick {
 public:
  // Starts a worker at once. Its body sleeps the system's double-click time plus 50 ms and then
  // runs onTerminate on the user-interface thread, waiting until it has run.
  static void Start(TApplication& application, ClickWorkers& workers,
                    std::shared_ptr<SingleClickHandOver> handOver,
                    std::function<void()> onTerminate);

  static constexpr std::uint32_t kExtraMilliseconds = 50;
};

}  // namespace tavilune
