#include "app/program.h"

#include "app/start_up.h"
#include "forms/application.h"
#include "picture/jpeg_image.h"
#include "picture/picture_formats.h"
#include "platform/display.h"
#include "window/about_box.h"
#include "window/picture_window.h"

namespace tavilune {

int RunProgram(Platform& platform, const FilePath& executablePath) {
  // The JPEG decoder's start: its defaults follow the screen as it is now, and it registers
  // its extensions before any window exists.
  InitJpegDefaults(Display());
  RegisterJpegPictureFormats();
  {
    TApplication application(platform.windows);
    application.Initialize();
    application.SetTitle("Tavilune");
    auto* form1 = new TForm1(application, platform,
                             [&executablePath](TForm1& form) { RunStartUp(form, executablePath); });
    auto* form2 = new TForm2(application);
    form1->onShowAbout = [form2] { form2->ShowModal(); };
    application.Run();
    // The application takes its forms down last created first; the picture window saves as
    // its destruction begins.
    for (TForm* form : application.Forms()) {
      if (form->HandleAllocated()) platform.windows.ShowWindow(form->Handle(), 0);
    }
  }
  UnregisterJpegPictureFormats();
  return 0;
}

}  // namespace tavilune
