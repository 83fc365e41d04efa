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
extern const std::vector<WORD> kAboutMenuKeys;

// Writes the test picture (or other bytes) into the case's folder, making its folders; returns
// the full Windows path.
std::wstring PlaceFile(Report& report, Session& session, const std::wstring& relative,
                       const Bytes& bytes);
std::wstring PlacePicture(Report& report, Session& session, const std::wstring& relative);
// Settings that restore the test picture (placed as picture.bmp) at the place with the defaults
// otherwise; a fileSize beyond the record pads it with 0x33 bytes. Returns what was stored.
SettingsValues PlaceRestorableSettings(Report& report, Session& session, int top, int left,
                                       size_t fileSize = record::kSize);

}  // namespace tavilune::e2e
