// What the help units do at start-up, before the windows exist: find the
// help viewer and the web opener, and, when the debug switch is given,
// write the diagnostic report "HHDebug.txt". An old report is deleted at
// every start.
#pragma once

#include <string>
#include <vector>

namespace io {

// The debug switch: a parameter "/debug" or "-debug" (letter case ignored),
// or a file "debug.debug" in the program folder.
bool IsDebugSwitch(const std::string& parameter);
bool DebugModeRequested(const std::vector<std::string>& parameters, const std::string& programFolder);

// The program folder when a file can be made and removed there, else the
// system's temporary folder.
std::string ReportFolder(const std::string& programFolder);

// One report line as written: "-" and "=" become 79 of that character; a
// text starting with "!" loses the "!", any other text gets three blanks
// and `now` appended.
std::string ReportLine(const std::string& text, const std::string& now);

// What the report tells.
struct StartupFacts {
  std::string ReportPath;
  std::string Now;
  std::string OperatingSystem;  // name, then major.minor.patch of its release
  std::string LocaleName, Language, Territory, DecimalSeparator;
  std::string ProgramPath;
  std::vector<std::string> Parameters;
  std::string RunFolder;  // the folder of the program path as started
  std::string ModuleName, ModuleFolder;
  bool ViewerFound = false;
  std::string ViewerCommand;
  bool BrowserFound = false;
  std::string BrowserCommand;
};
// The 22 report texts before ReportLine.
std::vector<std::string> DebugReportTexts(const StartupFacts& facts);

// Runs the start-up checks for the program at programPath started with
// `parameters`; returns the report's path when one was written.
std::string RunHelpStartupChecks(const std::string& programPath, const std::vector<std::string>& parameters);

}  // namespace io
