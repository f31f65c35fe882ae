#include "io/help_startup.h"

#include <sys/utsname.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QStandardPaths>

#include "io/help.h"
#include "platform/os/folders.h"

namespace io {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string OperatingSystem() {
  utsname name{};
  if (::uname(&name) != 0) return "Linux 0.0.0";
  int major = 0, minor = 0, patch = 0;
  std::sscanf(name.release, "%d.%d.%d", &major, &minor, &patch);
  return std::string(name.sysname) + " " + std::to_string(major) + "." + std::to_string(minor) + "." +
         std::to_string(patch);
}

std::string Found(const std::string& program) {
  return QStandardPaths::findExecutable(QString::fromStdString(program)).toStdString();
}

}  // namespace

bool IsDebugSwitch(const std::string& parameter) {
  const std::string p = Lower(parameter);
  return p == "/debug" || p == "-debug";
}

bool DebugModeRequested(const std::vector<std::string>& parameters, const std::string& programFolder) {
  if (os::FileExists(programFolder + "/debug.debug")) return true;
  for (const std::string& p : parameters)
    if (IsDebugSwitch(p)) return true;
  return false;
}

std::string ReportFolder(const std::string& programFolder) {
  const std::string probe = programFolder + "/$_Temp_$.$$$";
  {
    std::ofstream test(probe);
    if (test) {
      test.close();
      if (os::DeleteFile(probe)) return programFolder;
    }
  }
  const std::string temp = QDir::tempPath().toStdString();
  return os::DirectoryExists(temp) ? temp : "/tmp";
}

std::string ReportLine(const std::string& text, const std::string& now) {
  std::string line = text;
  if (line == "-" || line == "=") line = std::string(80, line[0]);
  if (!line.empty() && (line[0] == '!' || line[0] == '-' || line[0] == '=')) return line.substr(1);
  return line + "   " + now;
}

std::vector<std::string> DebugReportTexts(const StartupFacts& f) {
  std::string parameters;
  for (const std::string& p : f.Parameters) parameters += (parameters.empty() ? "" : " | ") + p;
  const auto yes = [](bool b) { return std::string(b ? "YES" : "NO"); };
  return {
      "!Filename:             \t" + f.ReportPath,
      "!Date:                 \t" + f.Now,
      "!Operating System:      \t" + f.OperatingSystem,
      "!SysLocale.DefaultLCID: \t" + f.LocaleName,
      "!SysLocale.PriLangID:   \t" + f.Language,
      "!SysLocale.SubLangID:   \t" + f.Territory,
      "!DecimalSeparator:      \t" + f.DecimalSeparator,
      "-",
      "!EXE Path =          \t" + f.ProgramPath,
      "!Cmdline Param(s) =  \t" + parameters,
      "!_RunDir =           \t" + f.RunFolder,
      "!_ModuleName =       \t" + f.ModuleName,
      "!_ModuleDir =        \t" + f.ModuleFolder,
      "-",
      "!_hhInstalled =      \t" + yes(f.ViewerFound),
      "!_hhVerStr =         \t" + f.ViewerCommand,
      "!_hhFriendlyVerStr = \t",
      "-",
      "!_ieInstalled =      \t" + yes(f.BrowserFound),
      "!_ieVerStr =         \t" + f.BrowserCommand,
      "!_ieFriendlyVerStr = \t",
      "=",
  };
}

std::string RunHelpStartupChecks(const std::string& programPath, const std::vector<std::string>& parameters) {
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(programPath, ec).lexically_normal().string();
  const std::string program = ec ? programPath : absolute;
  const std::string folder = FolderOf(program);
  const std::string reportPath = ReportFolder(folder) + "/HHDebug.txt";
  os::DeleteFile(reportPath);
  if (!DebugModeRequested(parameters, folder)) return {};

  StartupFacts f;
  f.ReportPath = reportPath;
  f.Now = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
  f.OperatingSystem = OperatingSystem();
  const QLocale locale = QLocale::system();
  f.LocaleName = locale.name().toStdString();
  f.Language = QLocale::languageToCode(locale.language()).toStdString();
  f.Territory = QLocale::territoryToCode(locale.territory()).toStdString();
  f.DecimalSeparator = locale.decimalPoint().toStdString();
  f.ProgramPath = program;
  f.Parameters = parameters;
  f.RunFolder = FolderOf(programPath);
  f.ModuleName = NameOf(program);
  f.ModuleFolder = folder;
  const std::string viewer = DefaultHelpViewer();
  f.ViewerCommand = viewer;
  f.ViewerFound = !Found(viewer.substr(0, viewer.find(' '))).empty();
  f.BrowserCommand = Found("xdg-open");
  f.BrowserFound = !f.BrowserCommand.empty();

  for (const std::string& text : DebugReportTexts(f)) {
    std::ofstream out(reportPath, std::ios::binary | std::ios::app);
    if (!out) break;  // a report that cannot be written ends silently
    out << ReportLine(text, f.Now) << "\r\n";
  }
  return reportPath;
}

}  // namespace io
