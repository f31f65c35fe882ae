#include "io/help.h"

#include <QStandardPaths>

#include "platform/os/folders.h"
#include "platform/os/process.h"
#include "platform/ui/vcl.h"

namespace io {
namespace {

// Words separated by blanks; double quotes keep blanks inside a word.
std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false, inWord = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

}  // namespace

std::vector<std::string> HelpCommandLine(const std::string& viewerCommand, const std::string& helpFile, int topic) {
  const std::vector<std::string> words = SplitWords(viewerCommand);
  std::vector<std::string> line;
  bool fileGiven = false;
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string word = words[i];
    const bool topicWord = word.find("%m") != std::string::npos;
    if (topic == 0) {
      // "-mapid %m": the option goes with its value.
      const bool optionOfTopic = !word.empty() && word[0] == '-' && word.find('%') == std::string::npos &&
                                 i + 1 < words.size() &&
                                 words[i + 1].find("%m") != std::string::npos;
      if (topicWord || optionOfTopic) continue;
    }
    if (word.find("%f") != std::string::npos) fileGiven = true;
    ReplaceAll(word, "%m", std::to_string(topic));
    ReplaceAll(word, "%f", helpFile);
    line.push_back(word);
  }
  if (!line.empty() && !fileGiven) line.push_back(helpFile);
  return line;
}

std::string DefaultHelpViewer() {
  for (const char* viewer : {"xchm", "kchmviewer"})
    if (!QStandardPaths::findExecutable(QString::fromLatin1(viewer)).isEmpty()) return std::string(viewer) + " %f";
  return "xdg-open %f";
}

std::string HelpViewerCommand(const std::string& chosen) {
  const bool blank = chosen.find_first_not_of(" \t") == std::string::npos;
  return blank ? DefaultHelpViewer() : chosen;
}

std::string HelpViewerFailedText(const std::string& program) {
  return "The help viewer \"" + program + "\" could not be started.\rChoose another one as Viewer in the [Help] "
         "section of Darvik48.ini.";
}

std::string HelpFilesMissingText(const std::string& folder, const std::string& file) {
  return "The help files are not installed.\rThe program looked for \"" + file + "\" in the folder \"" + folder +
         "\".";
}

void StartHelpViewer(const std::string& programFolder, const std::string& viewerChoice, const std::string& file,
                     int topic) {
  const std::string info = programFolder + "Info";
  // Without the file any viewer would fail, and its failure would be
  // reported as the viewer's.
  if (!os::FileExists(info + "/" + file)) {
    MessageDlg(HelpFilesMissingText(info, file), mtWarning, mbOK, 0);
    return;
  }
  std::vector<std::string> line = HelpCommandLine(HelpViewerCommand(viewerChoice), info + "/" + file, topic);
  const std::string program = line.empty() ? std::string() : line.front();
  if (!line.empty()) line.erase(line.begin());
  if (!os::StartProgram(program, line, info)) MessageDlg(HelpViewerFailedText(program), mtWarning, mbOK, 0);
}

}  // namespace io
