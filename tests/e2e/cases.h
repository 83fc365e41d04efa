// The case table: each case starts the program in its own scratch folder and checks one story.
#pragma once

#include <string>
#include <vector>

#include "report.h"
#include "session.h"
#include "test_files.h"

namespace tavilune::e2e {

using CaseFunction = void (*)(Report& report, Session& session);

struct CaseEntry {
  const char* name;
  CaseFunction run;
};

std::vector<CaseEntry> StartupCases();
std::vector<CaseEntry> WindowCases();
std::vector<CaseEntry> PictureCases();
std::vector<CaseEntry> MenuCases();
std::vector<CaseEntry> TrayCases();
std::vector<CaseEntry> MendedFaultCases();
std::vector<CaseEntry> PreviewDialogCases();  // picture_dialog_cases.cpp
std::vector<CaseEntry> HighDpiCases();

// Opens the window menu with a right click on the picture and walks it with the keys
// (cases_menu.cpp, which also holds the walks).
bool UseWindowMenu(Report& report, const Program& program, HWND form, const std::vector<WORD>& keys,
                   const std::string& what);
extern const std::vector<WORD> kOpenPictureKeys;
// Opens the about box from the window menu and checks that it is shown; nullptr when not.
HWND OpenAboutBox(Report& report, const Program& program, HWND form);
// Alt+F4 on the about box, checked to close it.
void CloseAboutBoxWithAltF4(Report& report, HWND about);

// Writes the test picture (or other bytes) into the case's folder, making its folders; returns
// the full Windows path.
std::wstring PlaceFile(Report& report, Session& session, const std::wstring& relative,
                       const Bytes& bytes);
std::wstring PlacePicture(Report& report, Session& session, const std::wstring& relative);
// Writes the record as the settings file `name`, cut or padded with `fill` bytes to fileSize;
// returns the bytes written.
Bytes PlaceSettings(Report& report, Session& session, const SettingsValues& values,
                    size_t fileSize = record::kSize, std::uint8_t fill = 0x33,
                    const std::wstring& name = L"tavilune.dat");
// Settings that restore the test picture (placed as picture.bmp) at the place, with the defaults
// otherwise; RestorableSettings only places the picture, PlaceRestorableSettings also writes
// them. Both return the values.
SettingsValues RestorableSettings(Report& report, Session& session, int top, int left);
SettingsValues PlaceRestorableSettings(Report& report, Session& session, int top, int left);

}  // namespace tavilune::e2e
