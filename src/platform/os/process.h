// Starting other programs without waiting for them. Arguments go to the
// program as they are: no shell sees them.
#pragma once

#include <string>
#include <vector>

namespace os {

// Starts `program` (a path, or a name looked up in PATH) with `args` in
// `workdir` (empty: the current folder), detached: it outlives us and leaves
// no zombie. False when it could not be started.
bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workdir = "");
// Opens the link with the desktop's handler (xdg-open), detached.
bool OpenWebLink(const std::string& url);

}  // namespace os
