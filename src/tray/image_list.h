// A list of icons of one size, such as the frames of an animated tray icon.
#pragma once

#include <vector>

#include "forms/component.h"
#include "platform/window_system.h"

namespace tavilune {

class TImageList : public TComponent {
 public:
  using TComponent::TComponent;

  std::vector<IconHandle> icons;
};

}  // namespace tavilune
