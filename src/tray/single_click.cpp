#include "tray/single_click.h"

#include <chrono>
#include <thread>

#include "forms/application.h"

namespace tavilune {

namespace {

class SystemWorkers : public ClickWorkers {
 public:
  void Start(std::function<void()> body) override { std::thread(std::move(body)).detach(); }
  void Sleep(std::uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

}  // namespace

ClickWorkers& SystemClickWorkers() {
  static SystemWorkers workers;
  return workers;
}

bool SingleClickHandOver::BeginHandOver() {
  std::lock_guard lock(mutex_);
  if (abandoned_) return false;
  ++handingOver_;
  return true;
}

void SingleClickHandOver::EndHandOver() {
  {
    std::lock_guard lock(mutex_);
    --handingOver_;
  }
  idle_.notify_all();
}

void SingleClickHandOver::Abandon(TApplication& application) {
  {
    std::lock_guard lock(mutex_);
    abandoned_ = true;
  }
  for (;;) {
    // A worker that is handing over waits for the user-interface thread, which is this one.
    application.CheckSynchronize();
    std::unique_lock lock(mutex_);
    if (handingOver_ == 0) return;
    idle_.wait_for(lock, std::chrono::milliseconds(1));
  }
}

void TSingleClick::Start(TApplication& application, ClickWorkers& workers,
                         std::shared_ptr<SingleClickHandOver> handOver,
                         std::function<void()> onTerminate) {
  workers.Start([&application, &workers, handOver = std::move(handOver),
                 onTerminate = std::move(onTerminate)] {
    workers.Sleep(application.Windows().DoubleClickTime() + kExtraMilliseconds);
    if (!handOver->BeginHandOver()) return;
    application.Synchronize(onTerminate);
    handOver->EndHandOver();
  });
}

}  // namespace tavilune
