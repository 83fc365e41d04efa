#include "fakes/fake_window_system.h"

#include <thread>
#include <utility>

#include "forms/messages.h"
#include "platform/dpi.h"

namespace tavilune::testing {

WindowHandle FakeWindowSystem::CreateNativeWindow(const WindowSpec& spec,
                                                  WindowListener* listener) {
  WindowHandle handle = next_;
  next_ += 4;
  FakeWindow& window = windows[handle];
  window.spec = spec;
  window.listener = listener;
  window.style = static_cast<std::int32_t>(spec.style);
  window.exStyle = static_cast<std::int32_t>(spec.exStyle);
  window.bounds = spec.bounds;
  window.visible = (spec.style & msg::kStyleVisible) != 0;
  window.topmost = (spec.exStyle & msg::kExStyleTopmost) != 0;
  log.push_back("CreateWindow " + std::to_string(handle) + " " + spec.title);
  created.emplace_back(handle, spec);
  Deliver(handle, msg::kCreate);
  return handle;
}

void FakeWindowSystem::DestroyWindow(WindowHandle window) {
  if (!IsWindow(window)) return;
  // Children go first, as the system destroys them.
  std::vector<WindowHandle> children;
  for (auto& [handle, fake] : windows) {
    if (fake.spec.parent == window && (fake.spec.style & msg::kStyleChild) != 0) {
      children.push_back(handle);
    }
  }
  for (WindowHandle child : children) DestroyWindow(child);
  Deliver(window, msg::kDestroy);
  windows.erase(window);
  destroyed.push_back(window);
  log.push_back("DestroyWindow " + std::to_string(window));
}

std::intptr_t FakeWindowSystem::Deliver(WindowHandle window, std::uint32_t message,
                                        std::uintptr_t wParam, std::intptr_t lParam) {
  auto found = windows.find(window);
  if (found == windows.end() || found->second.listener == nullptr) return 0;
  std::intptr_t result = 0;
  found->second.listener->HandleMessage(window, WindowMessage{message, wParam, lParam}, result);
  return result;
}

std::intptr_t FakeWindowSystem::Send(WindowHandle window, const WindowMessage& message) {
  sent.emplace_back(window, message);
  return Deliver(window, message.message, message.wParam, message.lParam);
}

bool FakeWindowSystem::Post(WindowHandle window, const WindowMessage& message) {
  posted.emplace_back(window, message);
  return true;
}

void FakeWindowSystem::ShowWindow(WindowHandle window, int command) {
  log.push_back("ShowWindow " + std::to_string(window) + " " + std::to_string(command));
  if (!IsWindow(window)) return;
  windows[window].visible = command != msg::kSwHide;
  if (command == msg::kSwHide && active == window) {
    active = HandOverActivation(windows[window].spec.parent);
  }
}

WindowHandle FakeWindowSystem::HandOverActivation(WindowHandle owner) {
  return IsWindowVisible(owner) && IsWindowEnabled(owner) ? owner : kAnotherProgram;
}

bool FakeWindowSystem::IsWindowVisible(WindowHandle window) {
  return IsWindow(window) && windows[window].visible;
}

void FakeWindowSystem::EnableWindow(WindowHandle window, bool enable) {
  if (IsWindow(window)) windows[window].enabled = enable;
}

bool FakeWindowSystem::IsWindowEnabled(WindowHandle window) {
  return IsWindow(window) && windows[window].enabled;
}

std::intptr_t FakeWindowSystem::GetLong(WindowHandle window, int index) {
  if (!IsWindow(window)) return 0;
  FakeWindow& fake = windows[window];
  if (index == msg::kGwlExStyle) {
    return fake.exStyle | (fake.topmost ? static_cast<std::int32_t>(msg::kExStyleTopmost) : 0);
  }
  if (index == msg::kGwlHwndParent) return static_cast<std::intptr_t>(fake.spec.parent);
  return index == msg::kGwlStyle ? fake.style : 0;
}

void FakeWindowSystem::SetLong(WindowHandle window, int index, std::intptr_t value) {
  log.push_back("SetWindowLong " + std::to_string(window) + " " + std::to_string(index) + " " +
                std::to_string(value));
  if (!IsWindow(window)) return;
  if (index == msg::kGwlExStyle) windows[window].exStyle = static_cast<std::int32_t>(value);
  if (index == msg::kGwlStyle) windows[window].style = static_cast<std::int32_t>(value);
  if (index == msg::kGwlHwndParent) windows[window].spec.parent = static_cast<WindowHandle>(value);
}

void FakeWindowSystem::SetWindowPos(WindowHandle window, std::intptr_t insertAfter,
                                    const Rect& bounds, std::uint32_t flags) {
  log.push_back("SetWindowPos " + std::to_string(window) + " " + std::to_string(insertAfter) + " " +
                std::to_string(flags));
  if (!IsWindow(window)) return;
  FakeWindow& fake = windows[window];
  if ((flags & msg::kSwpNoZOrder) == 0) {
    if (insertAfter == msg::kHwndTopmost) fake.topmost = true;
    if (insertAfter == msg::kHwndNoTopmost) fake.topmost = false;
  }
  Rect next = fake.bounds;
  if ((flags & msg::kSwpNoMove) == 0) {
    next.right = bounds.left + next.Width();
    next.bottom = bounds.top + next.Height();
    next.left = bounds.left;
    next.top = bounds.top;
  }
  if ((flags & msg::kSwpNoSize) == 0) {
    next.right = next.left + bounds.Width();
    next.bottom = next.top + bounds.Height();
  }
  fake.bounds = next;
  if (flags & msg::kSwpShowWindow) fake.visible = true;
  if (flags & msg::kSwpHideWindow) fake.visible = false;
}

Rect FakeWindowSystem::WindowRect(WindowHandle window) {
  return IsWindow(window) ? windows[window].bounds : Rect{};
}

Rect FakeWindowSystem::OuterForClient(const Rect& client, std::uint32_t style, std::uint32_t,
                                      int forDpi) {
  if ((style & msg::kStyleCaption) == 0) return client;
  const std::int32_t frame = ScaleForDpi(4, forDpi);
  const std::int32_t caption = ScaleForDpi(20, forDpi);
  return Rect{client.left - frame, client.top - frame - caption, client.right + frame,
              client.bottom + frame};
}

int FakeWindowSystem::IconSizeForDpi(int forDpi) { return ScaleForDpi(32, forDpi); }

void FakeWindowSystem::Paint(WindowHandle window, const std::function<void(Canvas&)>& painter) {
  if (onPaint) onPaint(window, painter);
}

bool FakeWindowSystem::SetForegroundWindow(WindowHandle window) {
  foregroundCalls.push_back(window);
  active = window;
  return true;
}

MonitorInfo FakeWindowSystem::MonitorOfWindow(WindowHandle window) {
  return MonitorNearest(WindowRect(window));
}

MonitorInfo FakeWindowSystem::MonitorNearest(const Rect& rect) {
  const MonitorInfo* best = &monitors.front();
  double bestDistance = -1;
  for (const MonitorInfo& monitor : monitors) {
    // In floating point: rectangles at the ends of the coordinate range square beyond 64 bits.
    double dx = 0, dy = 0;
    if (rect.left >= monitor.bounds.right) dx = double(rect.left) - monitor.bounds.right + 1;
    if (rect.right <= monitor.bounds.left) dx = double(monitor.bounds.left) - rect.right + 1;
    if (rect.top >= monitor.bounds.bottom) dy = double(rect.top) - monitor.bounds.bottom + 1;
    if (rect.bottom <= monitor.bounds.top) dy = double(monitor.bounds.top) - rect.bottom + 1;
    double distance = dx * dx + dy * dy;
    if (bestDistance < 0 || distance < bestDistance) {
      bestDistance = distance;
      best = &monitor;
    }
  }
  return *best;
}

bool FakeWindowSystem::PumpMessage(bool, bool& quit) {
  quit = false;
  if (posted.empty()) {
    quit = std::exchange(quitPosted, false);  // the quit is taken from the queue
    return false;
  }
  auto [window, message] = posted.front();
  posted.pop_front();
  Deliver(window, message.message, message.wParam, message.lParam);
  return true;
}

void FakeWindowSystem::PostQuit(int code) {
  quitPosted = true;
  quitCode = code;
}

ThreadId FakeWindowSystem::CurrentThread() {
  return static_cast<ThreadId>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
}

void FakeWindowSystem::ShowMessageBox(WindowHandle owner, const std::string& text,
                                      const std::string& caption, MessageBoxKind kind) {
  MessageBoxCall call{owner, text, caption, kind, quitPosted};
  messageBoxes.push_back(call);
  // The system's box disables its owner while it is up and, when the owner was enabled, enables
  // it again before it goes; the activation then goes back as from any closing window.
  const bool ownerWasEnabled = IsWindowEnabled(owner);
  EnableWindow(owner, false);
  if (onMessageBox) onMessageBox(call);
  if (ownerWasEnabled) EnableWindow(owner, true);
  active = HandOverActivation(owner);
}

std::uint32_t FakeWindowSystem::TrackPopupMenu(const std::vector<MenuItemSpec>& items, Point at,
                                               std::uint32_t flags, WindowHandle owner,
                                               MenuListener* listener) {
  popups.push_back(PopupCall{items, at, flags, owner});
  return onPopup ? onPopup(popups.back(), listener) : 0;
}

IconHandle FakeWindowSystem::LoadIconResource(const std::string& name, IconSize size, int forDpi) {
  if (name.empty() || !iconResourcesFound) return 0;
  return (size == IconSize::kSmall ? 0x3000 : 0x2000) + static_cast<IconHandle>(name.size()) +
         (static_cast<IconHandle>(forDpi) << 16);
}

std::vector<WindowHandle> FakeWindowSystem::WindowsTitled(const std::string& title) const {
  std::vector<WindowHandle> found;
  for (const auto& [handle, window] : windows) {
    if (window.spec.title == title) found.push_back(handle);
  }
  return found;
}

}  // namespace tavilune::testing
