#include "forms/form.h"

#include "forms/application.h"
#include "forms/messages.h"

namespace tavilune {

TForm::TForm(TComponent* owner, TApplication& application) : TWinControl(owner, application) {
  application.RegisterForm(this);
}

TForm::~TForm() {
  // The components go while the form is still a form: their destructors may ask about it.
  DestroyComponents();
  DestroyHandle();
  Application().UnregisterForm(this);
}

WindowSpec TForm::CreateParams() {
  WindowSpec spec;
  spec.style = msg::kStylePopup | msg::kStyleClipChildren;
  switch (borderStyle_) {
    case BorderStyle::kNone:
      break;
    case BorderStyle::kDialog:
      spec.style |= msg::kStyleCaption | msg::kStyleSysMenu;
      spec.exStyle |= msg::kExStyleDialogModalFrame | msg::kExStyleWindowEdge;
      break;
    case BorderStyle::kSizeableTool:
      spec.style |= msg::kStyleCaption | msg::kStyleSysMenu | msg::kStyleThickFrame;
      spec.exStyle |= msg::kExStyleToolWindow | msg::kExStyleWindowEdge;
      break;
  }
  if (formStyle_ == FormStyle::kStayOnTop) spec.exStyle |= msg::kExStyleTopmost;
  spec.doubleClicks = true;
  spec.icon = icon_;
  return spec;
}

void TForm::CreateWnd() {
  if (formStyle_ == FormStyle::kStayOnTop) {
    Windows().SetWindowPos(Handle(), msg::kHwndTopmost, Rect{},
                           msg::kSwpNoMove | msg::kSwpNoSize | msg::kSwpNoActivate);
  }
}

void TForm::SetFormStyle(FormStyle style) {
  if (formStyle_ == style) return;
  formStyle_ = style;
  if (!HandleAllocated()) return;
  bool wasVisible = Visible();
  DestroyHandle();
  // Made hidden, then shown, so that showing activates it as a new window would be.
  UpdateVisibleFromSystem(false);
  Handle();
  if (wasVisible) SetVisible(true);
}

void TForm::Show() { SetVisible(true); }

void TForm::Hide() { SetVisible(false); }

void TForm::Close() {
  if (modal_) {
    modalDone_ = true;
    return;
  }
  if (Application().MainForm() == this) {
    Application().Terminate();
  } else {
    Hide();
  }
}

void TForm::ShowModal() {
  WindowHandle handle = Handle();
  Application().BeginModal(handle);
  modal_ = true;
  modalDone_ = false;
  Show();
  Windows().SetForegroundWindow(handle);
  while (!modalDone_ && !Application().Terminated()) {
    bool quit = false;
    if (!Windows().PumpMessage(true, quit)) {
      if (quit) Application().Terminate();
      break;
    }
  }
  modal_ = false;
  // The other windows are enabled and the one that was active is activated again before the
  // box hides: hidden first, the active box would leave the system nothing of the program's
  // to activate, and it would bring another program's window to the front.
  Application().EndModal(handle);
  Hide();
}

bool TForm::WndProc(const WindowMessage& message, std::intptr_t& result) {
  switch (message.message) {
    case msg::kClose:
      Close();
      result = 0;
      return true;
    case msg::kQueryEndSession:
      result = QueryEndSession() ? 1 : 0;
      return true;
    case msg::kKeyDown:
      if (onKeyDown) onKeyDown(message.wParam);
      break;
    default:
      break;
  }
  return TWinControl::WndProc(message, result);
}

}  // namespace tavilune
