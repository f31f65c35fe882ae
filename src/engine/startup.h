// Folders and small rules of the start-up, apart from the window so that they
// can be checked on their own.
#pragma once

#include <string>

namespace engine {

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

}  // namespace engine
