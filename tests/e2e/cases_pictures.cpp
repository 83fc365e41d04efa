// Pictures other than the plain bitmap on the screen. For JPEGs what the window shows must be,
// pixel for pixel, what the reference decoder made of the same file (the checksums kept with the
// JPEG test data), also when the file's data is damaged past its last row; an icon typed by name
// shows at its image's size.
#include <windows.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>
#include <sstream>

#include "cases.h"
#include "program_view.h"
#include "screen.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

namespace {

struct Golden {
  int width = 0;
  int height = 0;
  std::uint64_t checksum = 0;
};

// Looks up "file bits width height checksum" in tests/data/jpeg/expected.txt.
bool FindGolden(Report& report, const Session& session, const std::string& file, int bits,
                Golden& golden) {
  auto bytes = ReadFileBytes(session.DataPath(L"jpeg\\expected.txt"));
  if (!report.Check(bytes.has_value(), "reference checksums readable")) return false;
  std::istringstream lines(std::string(bytes->begin(), bytes->end()));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string name, checksum;
    int lineBits = 0;
    if (!(fields >> name >> lineBits >> golden.width >> golden.height >> checksum)) continue;
    if (name == file && lineBits == bits) {
      golden.checksum = std::stoull(checksum, nullptr, 16);
      return true;
    }
  }
  return report.Check(false, "reference checksum for " + file);
}

// Where a photo's stored pixel (x, y) of a width x height picture is shown for an EXIF
// orientation (1 as stored, 3 turned half round, 6 turned a quarter clockwise).
POINT ShownPlace(int orientation, int x, int y, int width, int height) {
  if (orientation == 3) return POINT{width - 1 - x, height - 1 - y};
  if (orientation == 6) return POINT{height - 1 - y, x};
  return POINT{x, y};
}

// FNV-1a 64 over the shown colours in the stored picture's order, top row first, blue, green,
// red per pixel: the reference's own recipe.
std::uint64_t ShownChecksum(const ScreenShot& shot, int left, int top, int width, int height,
                            int orientation = 1) {
  std::uint64_t hash = 0xCBF29CE484222325ULL;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const POINT at = ShownPlace(orientation, x, y, width, height);
      const COLORREF colour = shot.At(left + at.x, top + at.y);
      for (BYTE b : {GetBValue(colour), GetGValue(colour), GetRValue(colour)}) {
        hash = (hash ^ b) * 0x100000001B3ULL;
      }
    }
  }
  return hash;
}

std::string HexChecksum(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%016" PRIx64, value);
  return text;
}

void CheckShownJpeg(Report& report, HWND window, POINT topLeft, int thickness, COLORREF frameColour,
                    const Golden& golden, const std::string& name, int orientation = 1) {
  const int t = thickness;
  const bool turned = orientation >= 5;
  RECT area = CheckWindowPlace(report, window, topLeft,
                               (turned ? golden.height : golden.width) + 2 * t,
                               (turned ? golden.width : golden.height) + 2 * t);
  // The picture is decoded on its first paint; wait until the shown pixels settle on the
  // reference or the time is up.
  std::uint64_t shown = 0;
  WaitUntil(
      [&] {
        ScreenShot shot(area);
        shown = ShownChecksum(shot, t, t, golden.width, golden.height, orientation);
        return shown == golden.checksum;
      },
      kStepTimeout);
  report.CheckEqualText(HexChecksum(shown), HexChecksum(golden.checksum),
                        name + " shown as the reference decoder decodes it");
  ScreenShot shot(area);
  if (t > 0) CheckFrameBands(report, shot, t, frameColour);
}

std::string ColourText(COLORREF colour) {
  char text[32];
  std::snprintf(text, sizeof text, "(%d, %d, %d)", GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
  return text;
}

bool CloseColours(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// A JPEG of the test data, its reference checksum in golden; nothing (reported) where one is
// missing.
std::optional<Bytes> ReferenceJpeg(Report& report, const Session& session, const std::string& file,
                                   int bits, Golden& golden) {
  if (!FindGolden(report, session, file, bits, golden)) return std::nullopt;
  auto jpeg = ReadFileBytes(session.DataPath(L"jpeg\\" + Widen(file)));
  report.Check(jpeg.has_value(), file + " readable");
  return jpeg;
}

// The first start with the photo chosen: shown in the white frame as the reference decodes it,
// turned by the orientation, no error box, its path then kept. False where the case must stop.
bool FirstChoiceShown(Report& report, Session& session, const std::wstring& path,
                      const Golden& golden, const std::string& what, int orientation = 1) {
  auto [program, form] = StartWithFirstChoice(report, session, path);
  if (form == nullptr) return false;
  CheckShownJpeg(report, form, kDesignPosition, 3, kWhite, golden, what, orientation);
  report.CheckEqualText(ErrorBoxText(*program), "", what + ": no error box");
  return CloseAndCheckSettings(report, session, *program, form, {.picturePath = ToAnsi(path)});
}

// A later start restoring the stored settings: the photo where they place it, in their (white)
// frame, as the reference decodes it.
void RestoredShown(Report& report, Session& session, const SettingsValues& stored,
                   const Golden& golden, const std::string& what, int orientation = 1) {
  PlaceSettings(report, session, stored);
  auto [program, form] = StartShown(report, session, "program started again");
  if (form == nullptr) return;
  CheckShownJpeg(report, form, POINT{stored.windowLeft, stored.windowTop}, stored.frameThickness,
                 kWhite, golden, what, orientation);
  CloseWithAltF4(report, *program, form);
}

// A colour JPEG chosen at the first start, then a greyscale one (decoded to a 236-colour table)
// restored from the settings without a frame.
void JpegPicture(Report& report, Session& session) {
  Golden colour, grey;
  const auto colourFile = ReferenceJpeg(report, session, "baseline_420.jpg", 24, colour);
  const auto greyFile = ReferenceJpeg(report, session, "grayscale.jpg", 8, grey);
  if (!colourFile || !greyFile) return;
  std::wstring colourPath = PlaceFile(report, session, L"写真\\colour.jpg", *colourFile);
  std::wstring greyPath = PlaceFile(report, session, L"grey.jpg", *greyFile);
  if (!FirstChoiceShown(report, session, colourPath, colour, "colour JPEG")) return;
  RestoredShown(report, session,
                {.frameThickness = 0, .picturePath = ToAnsi(greyPath), .windowTop = 120,
                 .windowLeft = 140},
                grey, "greyscale JPEG");
}

bool IsJpegErrorText(const std::string& text) {
  const std::string prefix = u8"JPEG エラー #";
  if (text.size() < prefix.size() + 2 || text.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  // The code is a number; a digit sorts above ".", so the error box adds one.
  for (size_t i = prefix.size(); i + 1 < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return text.back() == '.';
}

// Damage in a JPEG's data surfaces at the first paint, after start-up: one error box, then the
// rows decoded before the error stay on the screen and later paints draw them without asking
// the library again (so no second error box).
void JpegDamagedData(Report& report, Session& session) {
  Golden colour;
  const auto jpeg = ReferenceJpeg(report, session, "baseline_420.jpg", 24, colour);
  if (!jpeg) return;
  std::wstring path = PlaceFile(report, session, L"damaged.jpg", JpegWithStrayScan(*jpeg));
  const SettingsValues stored{.picturePath = ToAnsi(path), .windowTop = 100, .windowLeft = 200};
  PlaceSettings(report, session, stored);

  auto program = StartChecked(report, session);
  if (program == nullptr) return;
  HWND box = WaitForErrorBox(*program, kFirstWindowTimeout);
  std::string error = ErrorBoxText(*program);
  report.Check(IsJpegErrorText(error), "the paint shows the library's error (\"" + error + "\")");
  HWND form = FindTopLevel(program->id(), kPictureWindowClass);
  report.Check(form != nullptr, "the picture window is already shown when the error comes");
  CheckTaskbarButton(report, *program, false);
  if (box != nullptr) AnswerErrorBox(report, *program, error);
  if (form == nullptr) form = WaitForPictureWindow(report, *program);
  if (form == nullptr) return;
  CheckShownJpeg(report, form, POINT{200, 100}, 3, kWhite, colour, "what was decoded");

  Watch anotherError([&] { return !ErrorBoxText(*program).empty(); });
  RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  Settle(1500);
  report.Check(!anotherError.seen(), "a later paint shows no new error box");
  CheckShownJpeg(report, form, POINT{200, 100}, 3, kWhite, colour, "the same rows again");
  CloseAndCheckSettings(report, session, *program, form, stored);
}

// A photo from a phone held upright (EXIF orientation 6) shows turned: the window is as tall as
// the picture is wide, and every pixel is in its turned place. Restored from the settings, one
// turned half round (3) keeps its sides.
void JpegPhotoOrientation(Report& report, Session& session) {
  Golden colour;
  const auto jpeg = ReferenceJpeg(report, session, "baseline_420.jpg", 24, colour);
  if (!jpeg) return;
  const std::wstring upright =
      PlaceFile(report, session, L"upright.jpg", JpegWithOrientation(*jpeg, 6));
  const std::wstring halfRound =
      PlaceFile(report, session, L"half_round.jpg", JpegWithOrientation(*jpeg, 3));
  if (!FirstChoiceShown(report, session, upright, colour, "orientation 6", 6)) return;
  RestoredShown(report, session, {.picturePath = ToAnsi(halfRound)}, colour, "orientation 3", 3);
}

// A photo whose EXIF block is damaged (its directory lies past the block's end) shows as stored,
// without an error box; an editor's CMYK file (YCCK, samples stored inverted) shows in its colours.
void JpegPhotoDamagedExifAndCmyk(Report& report, Session& session) {
  Golden colour;
  const auto jpeg = ReferenceJpeg(report, session, "baseline_420.jpg", 24, colour);
  const auto cmyk = ReadFileBytes(session.DataPath(L"jpeg\\cmyk.jpg"));
  if (!jpeg || !report.Check(cmyk.has_value(), "CMYK test file readable")) return;
  const std::wstring damaged =
      PlaceFile(report, session, L"damaged_exif.jpg", JpegWithOrientation(*jpeg, 6, 4000));
  const std::wstring cmykPath = PlaceFile(report, session, L"cmyk.jpg", *cmyk);
  if (!FirstChoiceShown(report, session, damaged, colour, "damaged EXIF, as stored")) return;
  PlaceSettings(report, session, {.frameThickness = 0, .picturePath = ToAnsi(cmykPath)});
  auto [program, form] = StartShown(report, session, "program started with the CMYK file");
  if (form == nullptr) return;
  RECT area = CheckWindowPlace(report, form, POINT{192, 107}, colour.width, colour.height);
  // The test picture's dark corner, its red top right and its near-white bottom right corner.
  const std::pair<POINT, COLORREF> spots[] = {{{2, 2}, RGB(7, 11, 28)},
                                               {{60, 5}, RGB(231, 28, 199)},
                                               {{62, 40}, RGB(250, 250, 250)}};
  bool coloured = false;
  WaitUntil(
      [&] {
        ScreenShot shot(area);
        coloured = std::all_of(std::begin(spots), std::end(spots), [&](const auto& spot) {
          return CloseColours(shot.At(spot.first.x, spot.first.y), spot.second, 23);
        });
        return coloured;
      },
      kStepTimeout);
  report.Check(coloured, "the CMYK file shows in the picture's colours");
  report.CheckEqualText(ErrorBoxText(*program), "", "no error box for the CMYK file");
  CloseWithAltF4(report, *program, form);
}

// The dialog offers bitmaps and JPEGs, but a typed name of any registered kind loads: an icon
// shows at its image's size, every pixel where it belongs.
void IconPicture(Report& report, Session& session) {
  TestPicture icon{32, 32};
  std::wstring path = PlaceFile(report, session, L"emblem.ico", icon.EncodeIcon());
  auto [program, form] = StartWithFirstChoice(report, session, path);
  if (form == nullptr) return;
  CheckFramedPicture(report, form, kDesignPosition, 3, kWhite, icon);
  CloseAndCheckSettings(report, session, *program, form, {.picturePath = ToAnsi(path)});
}

// Parts of the window painted again (another window moved across it, a box closed over it) show
// the rows that belong there, whatever order the bitmap keeps its rows in: a JPEG (decoded top row
// first), a bitmap stored top row first and one stored bottom row first, each a picture of four
// bands that a part counted from the wrong end would show mirrored about the middle.
void RepaintBand(Report& report, Session& session) {
  constexpr int kWidth = 200, kHeight = 192, kBandRows = 48;
  static constexpr COLORREF kBands[] = {RGB(0xFF, 0, 0), RGB(0, 0xFF, 0), RGB(0, 0, 0xFF),
                                        RGB(0xFF, 0xFF, 0)};
  auto jpeg = ReadFileBytes(session.Path(L"..\\bands.jpg"));
  if (!report.Check(jpeg.has_value(), "the build made bands.jpg")) return;
  auto bandAt = [](int, int y) { return kBands[y / kBandRows]; };
  const std::pair<const wchar_t*, Bytes> pictures[] = {
      {L"bands.jpg", *jpeg},
      {L"top_down.bmp", EncodeBitmap(kWidth, kHeight, true, bandAt)},
      {L"bottom_up.bmp", EncodeBitmap(kWidth, kHeight, false, bandAt)}};
  for (const auto& [file, bytes] : pictures) {
    const std::string name = Narrow(file);
    const SettingsValues stored{.frameThickness = 0,
                                .picturePath = ToAnsi(PlaceFile(report, session, file, bytes)),
                                .windowTop = 100,
                                .windowLeft = 150};
    PlaceSettings(report, session, stored);
    auto [program, form] = StartShown(report, session, name + " started");
    if (form == nullptr) return;
    const RECT area = CheckWindowPlace(report, form, POINT{150, 100}, kWidth, kHeight);
    // Rows top to bottom - 1 show their band across the picture (a JPEG's colours within a few
    // levels).
    auto bandsShown = [&](int top, int bottom) {
      ScreenShot shot(area);
      for (int y = top; y < bottom; ++y) {
        for (int x : {0, kWidth / 2, kWidth - 1}) {
          const COLORREF shown = shot.At(x, y), wanted = kBands[y / kBandRows];
          if (std::abs(GetRValue(shown) - GetRValue(wanted)) +
                  std::abs(GetGValue(shown) - GetGValue(wanted)) +
                  std::abs(GetBValue(shown) - GetBValue(wanted)) >
              12) {
            return false;
          }
        }
      }
      return true;
    };
    report.Check(WaitUntil([&] { return bandsShown(0, kHeight); }, kStepTimeout),
                 name + ": every band in its place");
    for (const RECT part : {RECT{0, 60, kWidth, 80}, RECT{0, 0, kWidth, 16},
                            RECT{0, kHeight - 16, kWidth, kHeight}}) {
      // Painted again at once, from outside; the screen has then had time to take the drawing.
      RedrawWindow(form, &part, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      Settle(500);
      report.Check(WaitUntil([&] { return bandsShown(part.top, part.bottom); }, 3000),
                   name + ": rows " + std::to_string(part.top) + "-" +
                       std::to_string(part.bottom) + " painted again show their own band");
    }
    report.CheckEqualText(ErrorBoxText(*program), "", name + ": no error box");
    if (!CloseAndCheckSettings(report, session, *program, form, stored)) return;
  }
}

// While it lives, the file of the display's profile (as the system names it) holds another
// profile; its own bytes come back after.
class DisplayProfileStandIn {
 public:
  DisplayProfileStandIn(Report& report, const Bytes& profile) {
    std::wstring name(MAX_PATH + 1, L'\0');
    DWORD length = MAX_PATH;
    HDC screen = GetDC(nullptr);
    const bool named = GetICMProfileW(screen, &length, name.data()) != FALSE;
    ReleaseDC(nullptr, screen);
    if (!report.Check(named, "the system names a display profile")) return;
    path_ = name.c_str();
    own_ = ReadFileBytes(path_);
    placed_ = report.Check(WriteFileBytes(path_, profile), "another display profile in place");
  }
  ~DisplayProfileStandIn() {
    if (!placed_) return;
    if (own_) {
      WriteFileBytes(path_, *own_);
    } else {
      DeleteFileW(path_.c_str());
    }
  }
  DisplayProfileStandIn(const DisplayProfileStandIn&) = delete;
  DisplayProfileStandIn& operator=(const DisplayProfileStandIn&) = delete;
  bool Placed() const { return placed_; }

 private:
  std::wstring path_;
  std::optional<Bytes> own_;
  bool placed_ = false;
};

// A bitmap and a JPEG whose embedded profile describes wide primaries show their colour as that
// space means it on an sRGB screen, clearly more saturated than their numbers read as sRGB; the
// same pictures with a damaged profile (the JPEG's EXIF block damaged too) show their numbers as
// they are, upright as stored, and no error box. On a display whose own profile is the
// pictures' wide one, the numbers show as they are.
void EmbeddedProfiles(Report& report, Session& session) {
  constexpr COLORREF kStored = RGB(180, 120, 90);
  // More pixels than the colour grid has points, so that the program turns them through the
  // grid it samples from the system rather than one by one through the system.
  constexpr int kWidth = 240, kHeight = 160;
  // Colour engines round their own way, and a JPEG's colour comes back within a level or two: a
  // few levels either way are the same colour.
  constexpr int kTolerance = 4;
  const auto flat = ReadFileBytes(session.Path(L"..\\flat.jpg"));
  if (!report.Check(flat.has_value(), "the build made flat.jpg")) return;
  const COLORREF converted = WideGamutOnSrgb(kStored);
  report.Check(!CloseColours(converted, kStored, 3 * kTolerance),
               "the wide space's colour " + ColourText(converted) + " differs from the numbers");
  struct Shown {
    const wchar_t* name;
    Bytes file;
    COLORREF expected;
    const char* what;
    bool wideDisplay = false;  // the display's own profile is the picture's
  };
  const Shown cases[] = {
      {L"wide.bmp", WideGamutBitmap(kWidth, kHeight, kStored, false), converted,
       "bitmap: colour of the embedded profile"},
      {L"damaged.bmp", WideGamutBitmap(kWidth, kHeight, kStored, true), kStored,
       "bitmap, damaged profile: colour as stored"},
      {L"wide.jpg", WideGamutJpeg(*flat, false), converted, "JPEG: colour of the embedded profile"},
      {L"damaged.jpg", JpegWithOrientation(WideGamutJpeg(*flat, true), 6, 5000), kStored,
       "JPEG, damaged profile and EXIF: as stored"},
      {L"wide.bmp", WideGamutBitmap(kWidth, kHeight, kStored, false), kStored,
       "bitmap on a display of the picture's own profile: as stored", true}};
  for (const Shown& shown : cases) {
    std::optional<DisplayProfileStandIn> display;
    if (shown.wideDisplay && !display.emplace(report, WideGamutProfile(false)).Placed()) return;
    const std::wstring path = PlaceFile(report, session, shown.name, shown.file);
    PlaceSettings(
        report, session,
        {.frameThickness = 0, .picturePath = ToAnsi(path), .windowTop = 120, .windowLeft = 140});
    auto [program, form] = StartShown(report, session, std::string("started with ") + shown.what);
    if (form == nullptr) return;
    const RECT area = CheckWindowPlace(report, form, POINT{140, 120}, kWidth, kHeight);
    COLORREF centre = 0, corner = 0;
    WaitUntil(
        [&] {
          ScreenShot shot(area);
          centre = shot.At(kWidth / 2, kHeight / 2);
          corner = shot.At(0, kHeight - 1);
          return CloseColours(centre, shown.expected, kTolerance);
        },
        kStepTimeout);
    report.Check(CloseColours(centre, shown.expected, kTolerance) && corner == centre,
                 std::string(shown.what) + ": shown " + ColourText(centre) + ", expected " +
                     ColourText(shown.expected));
    report.Check(ErrorBoxText(*program).empty(), std::string(shown.what) + ": no error box");
    CloseWithAltF4(report, *program, form);
  }
}

}  // namespace

std::vector<CaseEntry> PictureCases() {
  return {{"jpeg_picture", JpegPicture},
          {"jpeg_damaged_data", JpegDamagedData},
          {"icon_picture", IconPicture},
          {"repaint_band", RepaintBand},
          {"embedded_profiles", EmbeddedProfiles},
          {"jpeg_photo_orientation", JpegPhotoOrientation},
          {"jpeg_photo_damaged_exif_and_cmyk", JpegPhotoDamagedExifAndCmyk}};
}

}  // namespace tavilune::e2e
