// The about box: the program's name, its emblem and its thanks, shown modally from the menu.
#pragma once

#include <string>
#include <vector>

#include "forms/form.h"

namespace tavilune {

// A single-line text or a bitmap resource, as a static control of the system.
class TStaticControl : public TWinControl {
 public:
  TStaticControl(TWinControl* parent, TApplication& application, std::string name,
                 const Rect& bounds, std::string text, bool bitmap = false);

 protected:
  WindowSpec CreateParams() override;
  void CreateWnd() override;

 private:
  bool bitmap_;
};

class TForm2 : public TForm {
 public:
  static constexpr std::int32_t kClientWidth = 231;
  static constexpr std::int32_t kClientHeight = 81;

  explicit TForm2(TApplication& application);

  // The texts shown, by control name, for tests.
  static const char* const kCredit;
  static const char* const kThanked;

 protected:
  WindowSpec CreateParams() override;
  void CreateWnd() override;

 private:
  std::vector<TStaticControl*> controls_;
};

}  // namespace tavilune
