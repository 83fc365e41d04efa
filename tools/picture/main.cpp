// tavilune-picture FILE [--bmp OUT]
//
// Loads FILE as the program does (the format table set up as at start-up, LoadPicture) and
// prints "WIDTHxHEIGHT CLASS", or the error text it would show. With --bmp, also writes the
// decoded pixels as a 24-bit bitmap file. Exit status 0 on success, 1 otherwise.
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/exceptions.h"
#include "picture/bitmap.h"
#include "picture/dib_convert.h"
#include "picture/picture.h"
#include "picture/picture_formats.h"
#include "platform/memory.h"
#include "platform/posix/posix_file_system.h"

#ifdef TAVILUNE_HAVE_JPEG
#include "picture/jpeg_image.h"
#endif

namespace {

int Usage() {
  std::fprintf(stderr, "usage: tavilune-picture FILE [--bmp OUT]\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tavilune;
  // The same bound on a picture's pixels as the program has on this machine.
  SetMemory(SystemMemoryFacts());
  std::string path;
  std::string bmpOut;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--bmp" && i + 1 < argc) {
      bmpOut = argv[++i];
    } else if (path.empty() && arg.rfind("--", 0) != 0) {
      path = arg;
    } else {
      return Usage();
    }
  }
  if (path.empty()) return Usage();

    // The format table as the program has it once its main window exists.
#ifdef TAVILUNE_HAVE_JPEG
  RegisterJpegPictureFormats();
  SetUpMainWindowPictureFormats(JpegPictureClass());
#else
  RemovePictureClass(TBitmap::StaticClass());
  AddPictureFormat("bmp", u8"ビットマップ", TBitmap::StaticClass());
#endif

  PosixFileSystem files;
  NoColorManagement colors;
  TPicture picture;
  try {
    LoadPicture(picture, path, files, colors);
    TGraphic* graphic = picture.Graphic();
    const Dib* dib = nullptr;
    if (!bmpOut.empty()) {
      if (auto* bitmap = dynamic_cast<TBitmap*>(graphic)) dib = &bitmap->GetDib();
#ifdef TAVILUNE_HAVE_JPEG
      if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic)) dib = &jpeg->DecodeJpeg().GetDib();
#endif
    }
    std::printf("%dx%d %s\n", picture.Width(), picture.Height(), graphic->Class().name);
    if (!bmpOut.empty()) {
      if (dib == nullptr) {
        std::fprintf(stderr, "%s has no pixels of its own to write; only the system draws it\n",
                     graphic->Class().name);
        return 1;
      }
      const std::vector<std::uint8_t> bytes = EncodeBmp24(*dib);
      std::ofstream out(bmpOut, std::ios::binary);
      out.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
      if (!out) {
        std::fprintf(stderr, "cannot write %s\n", bmpOut.c_str());
        return 1;
      }
    }
  } catch (const Exception& e) {
    std::printf("%s\n", e.Message().c_str());
    return 1;
  }
  return 0;
}
