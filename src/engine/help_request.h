// Help as every window asks for it: the help file (and topic) of io/help.h,
// shown with the viewer the user chose in Darvik48.ini.
#pragma once

#include <string>

#include "io/help.h"

namespace engine {

void ShowHelp(const std::string& file, int topic = 0);

}  // namespace engine
