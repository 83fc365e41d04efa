// Faults the program guards against: a failed save keeps the old file, a first choice that does
// not load leaves nothing behind, picture paths too long for the record or for the system's old
// 260-character limit, a program folder the ANSI code page cannot spell, DLLs planted beside the
// program under system DLLs' names, and (in the window cases) a stored place off every screen.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <algorithm>
#include <memory>
#include <string>

#include "cases.h"
#include "input.h"
#include "program_view.h"
#include "text.h"
#include "window_search.h"

namespace tavilune::e2e {

namespace {

// The save cannot replace the file: it was made read-only while the program ran, or another
// program holds it open without sharing. The error is shown, the program still ends, and the
// previous settings survive byte for byte with no stray file beside them. (The file is made
// read-only only after the start: a read-only file fails at the start on Windows, but Wine run
// as root opens it all the same.)
void SaveFailsKeepsFile(Report& report, Session& session) {
  std::wstring picture = PlacePicture(report, session, L"picture.bmp");
  for (bool readOnly : {true, false}) {
    report.Note(readOnly ? "settings file made read-only" : "settings file held open");
    const Bytes bytes = PlaceSettings(
        report, session, {.picturePath = ToAnsi(picture), .windowTop = 50, .windowLeft = 100});

    auto [program, form] = StartShown(report, session);
    if (form == nullptr) return;
    CheckFramedPicture(report, form, POINT{100, 50}, 3, kWhite, TestPicture{});
    std::unique_ptr<FileLock> lock;
    if (readOnly) {
      report.Check(SetFileAttributesW(session.SettingsPath().c_str(), FILE_ATTRIBUTE_READONLY),
                   "read-only attribute set");
    } else {
      lock = std::make_unique<FileLock>(session.SettingsPath());
      report.Check(lock->held(), "settings file held open without sharing");
    }
    BringToFront(form);
    DragWithLeftButton(POINT{160, 90}, 40, 30);
    WaitUntil([&] { return WindowRect(form).left == 140; }, 5000);
    report.CheckEqual(WindowRect(form).left, 140, "window moved before closing");

    Watch errorBoxSeen([&] { return !ErrorBoxText(*program).empty(); });
    PressAltF4(report, form);
    HWND box = WaitForErrorBox(*program, kStepTimeout);
    std::string error = ErrorBoxText(*program);
    if (readOnly) {
      report.CheckEqualText(error, kAccessDeniedError, "the save's failure is shown");
    } else {
      // Replacing a file that is open without sharing is refused as access denied or as a
      // sharing violation, depending on how the save goes about it; both are the system's.
      report.Check(error == kAccessDeniedError || error == kSharingViolationError,
                   "the save's failure is shown (\"" + error + "\")");
    }
    if (box != nullptr) AnswerErrorBox(report, *program, error);
    ExpectExit(report, *program);
    if (box == nullptr) {
      report.Note(errorBoxSeen.seen() ? "an error box flashed up and closed by itself"
                                      : "no error box came up at all");
    }
    lock.reset();
    SetFileAttributesW(session.SettingsPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    auto after = ReadFileBytes(session.SettingsPath());
    report.Check(after.has_value() && *after == bytes, "previous settings file kept byte for byte");
    std::string others;
    for (const std::wstring& name : FilesIn(session.folder())) {
      if (name != L"tavilune.exe" && name != L"tavilune.dat" && name != L"picture.bmp") {
        others += ' ';
        others += Narrow(name);
      }
    }
    report.Check(others.empty(), "no other file left in the folder" + others);
  }
}

// The first choice names something that cannot be loaded: the error, the design window, and
// since no picture was taken nothing is saved; the next start asks again.
void FailedFirstChoice(Report& report, Session& session, const std::wstring& chosen,
                       const std::string& expectedError) {
  {
    auto program = StartChecked(report, session);
    if (program == nullptr) return;
    AnswerMessageDialog(report, *program, kNoSettingsMessage, VK_RETURN);
    if (!ChooseFile(report, *program, chosen)) return;
    AnswerErrorBox(report, *program, expectedError);
    HWND form = WaitForPictureWindow(report, *program);
    if (form == nullptr) return;
    CheckDesignWindow(report, form);
    PressAltF4(report, form);
    ExpectExitWithoutErrorBox(report, *program);
  }
  report.Check(!FileExists(session.SettingsPath()), "no settings file written");

  report.Note("next start");
  auto program = StartChecked(report, session, "program started again");
  if (program == nullptr) return;
  AnswerMessageDialog(report, *program, kNoSettingsMessage, VK_ESCAPE);
  CancelFileDialog(report, *program);
  ExpectExit(report, *program);
}

void BadFirstChoice(Report& report, Session& session) {
  FailedFirstChoice(report, session, PlaceFile(report, session, L"damaged.bmp", DamagedBitmap()),
                    kDamagedBitmapError);
}

void MissingFirstChoice(Report& report, Session& session) {
  const std::wstring missing = session.Path(L"no such picture.bmp");
  FailedFirstChoice(report, session, missing, u8"ファイル " + Narrow(missing) + u8" は開けません.");
}

// Whether two paths name one file, by the file system's identity of the opened files.
bool SameFile(const std::wstring& a, const std::wstring& b) {
  auto identity = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    HANDLE file = CreateFileW(FileFunctionPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return ok;
  };
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  return identity(a, first) && identity(b, second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

// A picture whose full path is exactly `wanted` characters, all ASCII: folders of long names
// (each folder path well below the system's limit for one), then a file name padded to the
// length.
std::wstring PlacePictureWithPathLength(Report& report, Session& session, size_t wanted) {
  const size_t base = ToAnsi(session.folder()).size() + 1;
  const std::wstring tail = L"picture.bmp";
  std::wstring folder;
  for (int n = 1;; ++n) {
    std::wstring next = (folder.empty() ? L"" : folder + L"\\") + L"deep folder number " +
                        std::to_wstring(n) + L" with a long name";
    if (base + next.size() + 1 + tail.size() + 8 > wanted || base + next.size() > 200) break;
    folder = next;
  }
  std::wstring relative = (folder.empty() ? L"" : folder + L"\\") + tail;
  if (!report.Check(base + relative.size() <= wanted,
                    "scratch folder short enough for the long-path case")) {
    return {};
  }
  std::wstring name = L"picture";
  name.append(wanted - base - relative.size(), L'x');
  std::wstring picture =
      PlacePicture(report, session, (folder.empty() ? L"" : folder + L"\\") + name + L".bmp");
  report.CheckEqual(static_cast<long long>(ToAnsi(picture).size()), wanted,
                    "picture path length in bytes");
  return picture;
}

// After a first choice: the settings record, whole, holds a path (the short one where the long
// one cannot be spelt or stored) that names the chosen picture; then the next start shows it
// without a question, where the design puts it.
void StoredAndShownAgain(Report& report, Session& session, const std::wstring& picture,
                         const std::string& written, const std::string& noMessage) {
  auto bytes = ReadFileBytes(session.SettingsPath());
  if (!report.Check(bytes.has_value(), written)) return;
  report.CheckEqual(static_cast<long long>(bytes->size()), record::kSize, "settings file size");
  std::string stored = ReadPicturePath(*bytes);
  report.Note("stored path: " + Escaped(stored));
  report.Check(!stored.empty() && stored.size() <= 255,
               "stored path fits the record (" + std::to_string(stored.size()) + " bytes)");
  report.Check(
      bytes->size() >= record::kSize && (*bytes)[record::kPicturePath + stored.size()] == 0,
      "stored path is NUL-ended");
  report.Check(SameFile(FromAnsi(stored), picture), "stored path names the chosen picture");

  report.Note("second start");
  auto [program, form] = StartShown(report, session, "program started again");
  if (form == nullptr) return;
  report.Check(FindTopLevelByTitle(program->id(), kMessageDialogTitle) == nullptr, noMessage);
  CheckFramedPicture(report, form, kDesignPosition, 3, kWhite, TestPicture{});
  CloseWithAltF4(report, *program, form);
}

// A first start that chooses a picture whose full path is too long for the record's 255 bytes.
// The program stores the short 8.3 path when the system has one, else refuses in Japanese;
// either way the record keeps its layout and never holds a cut path, and the program never
// ends without a word.
void ChooseLongPicturePath(Report& report, Session& session, size_t wanted) {
  std::wstring picture = PlacePictureWithPathLength(report, session, wanted);
  if (picture.empty()) return;

  auto program = StartChecked(report, session);
  if (program == nullptr) return;
  AnswerMessageDialog(report, *program, kNoSettingsMessage, VK_RETURN);
  if (!ChooseFile(report, *program, picture)) return;
  HWND form = nullptr;
  WaitUntil(
      [&] {
        form = FindTopLevel(program->id(), kPictureWindowClass);
        return form != nullptr || !ErrorBoxText(*program).empty() || !program->Running();
      },
      kFirstWindowTimeout);
  report.Check(program->Running(), "the program goes on after the dialog");
  std::string error = ErrorBoxText(*program);
  if (!error.empty()) {
    report.Note("the program refused the path: \"" + error + "\"");
    bool japanese = std::any_of(error.begin(), error.end(),
                                [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    report.Check(japanese, "refusal is a Japanese message");
    AnswerErrorBox(report, *program, error);
    form = WaitForPictureWindow(report, *program);
    if (form == nullptr) return;
    CheckDesignWindow(report, form);
    CloseWithAltF4(report, *program, form);
    report.Check(!FileExists(session.SettingsPath()), "no settings file written");
    return;
  }
  if (!CheckOrListWindows(report, *program, form != nullptr, "the picture window is shown")) return;
  CheckFramedPicture(report, form, kDesignPosition, 3, kWhite, TestPicture{});
  if (!CloseWithAltF4(report, *program, form)) return;
  StoredAndShownAgain(report, session, picture, "settings file written", "no message dialog");
}

// The program lives in a folder named in Korean, which the Japanese ANSI code page cannot
// spell, and the picture beside it has a Korean name too. The settings file is written beside
// the program under its real name, the record holds a path to the picture that ANSI can spell
// (the short one), and the next start finds both without a question.
void UnspellableFolder(Report& report, Session& session) {
  if (!report.Check(session.Prepare(L"한글\\tavilune.exe"), "program copied into 한글")) return;
  std::wstring picture = PlacePicture(report, session, L"한글\\사진.bmp");
  {
    auto [program, form] = StartWithFirstChoice(report, session, picture);
    if (form == nullptr) return;
    CheckFramedPicture(report, form, kDesignPosition, 3, kWhite, TestPicture{});
    if (!CloseWithAltF4(report, *program, form)) return;
  }
  StoredAndShownAgain(report, session, picture, "settings file written beside the program",
                      "no message dialog: the settings file was found");
}

// System DLLs that are loaded after start: the program's own late ones (shcore for the DPI,
// mscms for colours, comctl32's later calls, the common dialogs and the shell) and those that
// the system loads on its behalf (the dialogs' and the themes' own, as Wine's loader shows
// them).
const wchar_t* const kPlantedNames[] = {
    L"shcore.dll",  L"mscms.dll", L"comctl32.dll", L"comdlg32.dll", L"shell32.dll",
    L"shlwapi.dll", L"ole32.dll", L"uxtheme.dll",  L"winspool.drv", L"msimg32.dll"};

// What the program's process took of the planted DLLs: the ones whose code ran (from the marks
// they left) and the modules it lists from its own folder besides itself.
struct PlantedLoads {
  std::string ran;
  std::string listed;
};

PlantedLoads FindPlantedLoads(const Session& session, DWORD processId) {
  PlantedLoads loads;
  for (const std::wstring& name : FilesIn(session.folder())) {
    if (name.ends_with(L".loaded")) loads.ran += ' ' + Narrow(name.substr(0, name.size() - 7));
  }
  const std::wstring folder = session.folder() + L"\\";
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE) {
    loads.listed = " (no module list)";
    return loads;
  }
  MODULEENTRY32W module{};
  module.dwSize = sizeof module;
  for (BOOL more = Module32FirstW(snapshot, &module); more;
       more = Module32NextW(snapshot, &module)) {
    const std::wstring path = module.szExePath;
    if (CompareStringOrdinal(path.c_str(), static_cast<int>(std::min(path.size(), folder.size())),
                             folder.c_str(), static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL &&
        CompareStringOrdinal(module.szModule, -1, L"tavilune.exe", -1, TRUE) != CSTR_EQUAL) {
      loads.listed += ' ' + Narrow(module.szModule);
    }
  }
  CloseHandle(snapshot);
  return loads;
}

// A downloads folder with DLLs named like the system's beside the program: the code of none of
// them runs at start, by the window menu, the picture dialog or the about box, and on Windows
// none is even mapped. Each planted DLL leaves a mark when anything loads it, which the driver
// first shows by loading one itself. Wine looks up the DLLs its own DLLs load late (delay loads)
// along the process's first search path, whatever the program narrowed the search to; for most
// system names it then runs its own code but lists the module under the planted file's path, so
// there the list is only noted.
void PlantedDlls(Report& report, Session& session) {
  wchar_t driver[MAX_PATH];
  std::wstring planted(driver, GetModuleFileNameW(nullptr, driver, MAX_PATH));
  planted = planted.substr(0, planted.rfind(L'\\') + 1) + L"e2e_planted.dll";
  const std::wstring probe = session.Path(L"probe.dll");
  bool copied = CopyFileW(planted.c_str(), probe.c_str(), FALSE) != FALSE;
  for (const wchar_t* name : kPlantedNames)
    copied = CopyFileW(planted.c_str(), session.Path(name).c_str(), FALSE) && copied;
  if (!report.Check(copied, "planted DLLs beside the program")) return;
  HMODULE loaded = LoadLibraryW(probe.c_str());
  report.Check(loaded != nullptr && FileExists(probe + L".loaded"),
               "a planted DLL, once loaded, leaves its mark");
  if (loaded != nullptr) FreeLibrary(loaded);
  DeleteFileW((probe + L".loaded").c_str());

  PlaceRestorableSettings(report, session, 60, 90);
  auto [program, form] = StartShown(report, session);
  const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  auto none = [&](const std::string& when) {
    const PlantedLoads loads = FindPlantedLoads(session, program != nullptr ? program->id() : 0);
    report.Check(loads.ran.empty(), "no planted DLL ran " + when + loads.ran);
    if (!wine) {
      report.Check(loads.listed.empty(), "no planted DLL mapped " + when + loads.listed);
    } else if (!loads.listed.empty()) {
      report.Note("Wine listed from the program's folder:" + loads.listed);
    }
  };
  none("at start");
  if (form == nullptr) return;
  UseWindowMenu(report, *program, form, {VK_ESCAPE}, "nothing");
  none("by the window menu");
  if (UseWindowMenu(report, *program, form, kOpenPictureKeys, "a picture") &&
      WaitForFileDialog(report, *program) != nullptr) {
    Settle(2000);  // the dialog lists the folder and fills its parts after it shows
    CancelFileDialog(report, *program);
  }
  none("by the picture dialog");
  if (HWND about = OpenAboutBox(report, *program, form)) CloseAboutBoxWithAltF4(report, about);
  none("by the about box");
  CloseWithAltF4(report, *program, form);
}

}  // namespace

std::vector<CaseEntry> MendedFaultCases() {
  return {
      {"save_fails_keeps_file", SaveFailsKeepsFile},
      {"bad_first_choice", BadFirstChoice},
      {"missing_first_choice", MissingFirstChoice},
      // Longer than the record holds, but within the 260 characters of the old dialog buffer.
      {"long_picture_path", [](Report& r, Session& s) { ChooseLongPicturePath(r, s, 258); }},
      // Longer than 260 characters: the dialog takes the name, and the short path is stored.
      {"very_long_picture_path", [](Report& r, Session& s) { ChooseLongPicturePath(r, s, 300); }},
      {"unspellable_folder", UnspellableFolder},
      {"planted_dlls", PlantedDlls},
  };
}

}  // namespace tavilune::e2e
