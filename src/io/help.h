// Help: the help files lie in the "Info" folder of the program folder and are
// shown by a viewer program started without waiting for it. The viewer is
// the user's choice (the windows read it from key "Viewer" of section [Help]
// in "Darvik48.ini"), else the first CHM viewer found on the system, else the
// desktop's opener.
#pragma once

#include <string>
#include <vector>

namespace io {

// Help files and the topics (map identifiers) the windows open.
inline constexpr const char* kScopeHelp = "Scopa48.chm";
inline constexpr const char* kGeneratorHelp = "Selm48.chm";
inline constexpr const char* kRecorderHelp = "REC48.chm";
inline constexpr const char* kDriverHelp = "loaddrv60.chm";
inline constexpr int kWaveEditorTopic = 108;
inline constexpr int kBodeTopic = 109;
inline constexpr int kWaveSequenceTopic = 113;
inline constexpr int kMeasurementTopic = 170;

// The viewer command is a line of words: "%f" stands for the help file's
// path and "%m" for the topic number. Without a topic, a word holding "%m"
// is left out, and so is the option word just before it ("-mapid %m").
// A command without "%f" gets the file as its last word.
std::vector<std::string> HelpCommandLine(const std::string& viewerCommand, const std::string& helpFile, int topic);

// The viewer found on the system when the user has chosen none.
std::string DefaultHelpViewer();
// The user's choice (`chosen`), or the default when it is blank.
std::string HelpViewerCommand(const std::string& chosen);

// Starts the viewer (the user's choice or the default) for `file` (at
// `topic` when not 0) in the help folder "Info" of `programFolder` (ending
// in "/"); the program's own current folder never changes. A help file that is not there, or a viewer
// that cannot be started, is reported.
void StartHelpViewer(const std::string& programFolder, const std::string& viewerChoice, const std::string& file,
                     int topic = 0);

// The texts of those reports.
std::string HelpFilesMissingText(const std::string& folder, const std::string& file);
std::string HelpViewerFailedText(const std::string& program);

}  // namespace io
