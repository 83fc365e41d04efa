// The case table: each case starts the program in its own scratch folder and checks one story.
#pragma once

#include <string>
#include <vector>

#include "report.h"
#include "session.h"

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

// Writes the test picture (or other bytes) into the case's folder, making its folders; returns
// the full Windows path.
std::wstring PlaceFile(Report& report, Session& session, const std::wstring& relative,
                       const Bytes& bytes);
std::wstring PlacePicture(Report& report, Session& session, const std::wstring& relative);

}  // namespace tavilune::e2e
