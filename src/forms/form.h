// Forms: the program's top-level windows.
#pragma once

#include <functional>

#include "forms/win_control.h"

namespace tavilune {

enum class FormStyle { kNormal, kStayOnTop };
enum class BorderStyle { kNone, kDialog, kSizeableTool };

class TForm : public TWinControl {
 public:
  TForm(TComponent* owner, TApplication& application);
  ~TForm() override;

  // The form's own icon; 0 when it has none.
  IconHandle Icon() const { return icon_; }
  void SetIcon(IconHandle icon) { icon_ = icon; }

  FormStyle Style() const { return formStyle_; }
  // A change of style makes the window anew; a visible form shows again at the same place.
  void SetFormStyle(FormStyle style);

  BorderStyle Border() const { return borderStyle_; }
  void SetBorderStyle(BorderStyle style) { borderStyle_ = style; }

  void Show();
  void Hide();
  // Asks the form to close: the main form's closing ends the program.
  void Close();
  // Shows the form with every other window of the program disabled until it closes.
  void ShowModal();
  bool Modal() const { return modal_; }

  // Keys the form sees before its controls; Escape and Enter have no meaning of their own.
  std::function<void(std::uintptr_t key)> onKeyDown;

 protected:
  WindowSpec CreateParams() override;
  void CreateWnd() override;
  bool WndProc(const WindowMessage& message, std::intptr_t& result) override;
  // WM_QUERYENDSESSION: whether the session may end. Forms answer yes by default.
  virtual bool QueryEndSession() { return true; }

 private:
  IconHandle icon_ = 0;
  FormStyle formStyle_ = FormStyle::kNormal;
  BorderStyle borderStyle_ = BorderStyle::kNone;
  bool modal_ = false;
  bool modalDone_ = false;
};

}  // namespace tavilune
