// Folders and small rules of the start-up, apart from the window so that they
// can be checked on their own.
#pragma once

#include <string>

class TIniFile;

namespace engine {

struct ScopeSharedState;

// Where the logic file "darvik48.bit" and the help folder "Info" live: the
// installed data folder when it exists, else the program file's own folder
// (a run from the build tree); with a trailing "/".
std::string ResolveProgramFolder();
// Folder of the settings files and the logic-file copy: local application
// data + "/Brastel/Darvik48/".
std::string ResolveDataFolder();
// A probe factor as stored in the settings file: 10 stays 10, anything else
// (a hand-edited or damaged value) is taken as 1.
int ProbeFactorFromFile(int value);

// A settings file that is there but cannot be used (a folder, a named pipe,
// a link to nothing, too large, binary data): the user is told once per file
// and session, with its name and why; the program then leaves it alone.
// Nothing is said of a usable or missing file.
void TellIfUnusable(ScopeSharedState& scope, TIniFile& ini);
void TellIfUnusable(ScopeSharedState& scope, const std::string& path, const std::string& problem);
// The file is still unusable and the user has been told: its writes are
// left out without another word.
bool UnusableAndTold(const ScopeSharedState& scope, TIniFile& ini);
bool UnusableAndTold(const ScopeSharedState& scope, const std::string& path);

}  // namespace engine
