// The about box: the program's name, its emblem and its thanks, shown modally from the menu.
// Its layout is designed at 96 DPI and scaled to the DPI of the monitor it is on.
#pragma once

#include <string>
#include <vector>

#include "forms/form.h"

namespace tavilune {

// A single-line text or a bitmap resource, as a static control of the system, placed by its
// design bounds (at 96 DPI) scaled to its box's DPI.
class TStaticControl : public TWinControl {
 public:
  TStaticControl(TWinControl* parent, TApplication& application, std::string name,
                 const Rect& designBounds, std::string text, bool bitmap = false);

  // Places the control and sizes its font for the DPI.
  void LayOut(int dpi);

 protected:
  WindowSpec CreateParams() override;
  void CreateWnd() override;

 private:
  void ApplyFont();

  Rect designBounds_;
  bool bitmap_;
  int dpi_ = 96;
};

class TForm2 : public TForm {
 public:
  // The client area at 96 DPI.
  static constexpr std::int32_t kClientWidth = 231;
  static constexpr std::int32_t kClientHeight = 81;

  explicit TForm2(TApplication& application);

  // The texts the box shows, by control name.
  static const char* const kCredit;
  static const char* const kThanked;

 protected:
  WindowSpec CreateParams() override;
  void CreateWnd() override;
  bool WndProc(const WindowMessage& message, std::intptr_t& result) override;

 private:
  std::vector<TStaticControl*> controls_;
  int dpi_ = 96;
};

}  // namespace tavilune
