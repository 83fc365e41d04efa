// tavilune_e2e --case NAME --exe PATH --scratch FOLDER [--data FOLDER] [--other-exe PATH]
// Runs one end-to-end case against the program at PATH and prints one line per check and a
// summary; the exit code is 0 only when every check passed, and 3 when the case table and
// cases.list disagree.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>

#include "cases.h"
#include "listed_cases.h"
#include "text.h"

using namespace tavilune::e2e;

namespace {

std::vector<CaseEntry> AllCases() {
  std::vector<CaseEntry> all;
  for (auto group : {StartupCases, WindowCases, PictureCases, PreviewDialogCases, MenuCases,
                     TrayCases, MendedFaultCases, HighDpiCases}) {
    for (const CaseEntry& entry : group()) all.push_back(entry);
  }
  return all;
}

// The table and cases.list must name the same cases, each once: a case missing from the list
// would never be registered as a test, and a listed name without a case would fail only as
// "unknown case".
bool TableMatchesList() {
  std::set<std::string> table;
  std::set<std::string> listed;
  bool same = true;
  for (const CaseEntry& entry : AllCases()) {
    if (!table.insert(entry.name).second) {
      std::printf("case %s is twice in the driver's table\n", entry.name);
      same = false;
    }
  }
  for (const char* name : kListedCases) {
    if (!listed.insert(name).second) {
      std::printf("case %s is twice in tests/e2e/cases.list\n", name);
      same = false;
    }
    if (!table.count(name)) {
      std::printf("case %s is in tests/e2e/cases.list but not in the driver's table\n", name);
      same = false;
    }
  }
  for (const std::string& name : table) {
    if (!listed.count(name)) {
      std::printf("case %s is in the driver's table but not in tests/e2e/cases.list\n",
                  name.c_str());
      same = false;
    }
  }
  return same;
}

int Usage() {
  std::printf(
      "usage: tavilune_e2e --case NAME --exe PATH --scratch FOLDER [--data FOLDER] "
      "[--other-exe PATH]\ncases:");
  for (const CaseEntry& entry : AllCases()) std::printf(" %s", entry.name);
  std::printf("\n");
  return 2;
}

// The driver measures windows and reads pixels as the screen has them: per-monitor aware, so that
// the system does not scale its answers to 96 DPI on a screen set higher. The call that says so
// is looked up, since older systems lack it; the process-wide one is the fallback.
void MeasureInDevicePixels() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  auto set = reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (set != nullptr && set(kPerMonitorAwareV2)) return;
  SetProcessDPIAware();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == kOtherProgramOption) return RunOtherProgram();
  if (!TableMatchesList()) return 3;
  MeasureInDevicePixels();
  std::string caseName;
  std::wstring exe;
  std::wstring scratch;
  std::wstring data = L".";
  std::wstring otherExe;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::wstring option = argv[i];
    if (option == L"--case")
      caseName = Narrow(argv[i + 1]);
    else if (option == L"--exe")
      exe = argv[i + 1];
    else if (option == L"--scratch")
      scratch = argv[i + 1];
    else if (option == L"--data")
      data = argv[i + 1];
    else if (option == L"--other-exe")
      otherExe = argv[i + 1];
    else
      return Usage();
  }
  if (caseName.empty() || exe.empty() || scratch.empty()) return Usage();

  for (const CaseEntry& entry : AllCases()) {
    if (caseName != entry.name) continue;
    Report report;
    Session session(scratch, caseName, exe, data);
    if (!otherExe.empty()) session.SetOtherProgram(otherExe);
    std::printf("case %s in %s\n", entry.name, Narrow(session.folder()).c_str());
    if (!report.Check(session.Prepare(), "scratch folder prepared with a copy of the program") ||
        !report.Check(session.StartOtherProgram(), "another program's window is active")) {
      return 1;
    }
    entry.run(report, session);
    std::printf("case %s: %d passed, %d failed\n", entry.name, report.passed(), report.failed());
    return report.failed() == 0 && report.passed() > 0 ? 0 : 1;
  }
  std::printf("unknown case %s\n", caseName.c_str());
  return Usage();
}
