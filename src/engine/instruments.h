// The menu program that "Exit to Menu" hands over to.
#pragma once

#include <string>

namespace engine {

// The menu program installed beside this program ("quenlow", or under its
// other platform's name "Quenlow.EXE"); empty when there is none.
std::string MenuProgramPath(const std::string& programFolder);
// Starts it when it is there; false when it is not or would not start.
bool StartMenuProgram(const std::string& programFolder);

}  // namespace engine
