// SIGTERM, SIGINT and SIGHUP (a logout, kill, Ctrl+C in the terminal) turned
// into a request on the GUI thread: the signal handler only writes one byte
// into a pipe, and the event loop reads it and runs the action there, so the
// program can close the way its window's close box closes it. A program too
// busy to take the request within a fraction of a second (its event loop
// does not come round) is ended by the signal as without a handler, with a
// line on standard error: a logout or kill is obeyed within a second.
#pragma once

#include <functional>

namespace os {

// Installs the handlers; `action` runs on the GUI thread once for the
// signals that arrived since the event loop last came round; signals that
// arrive while it runs ask for what is under way. Needs a Qt application.
// False when the pipe or a handler cannot be set up. A second call replaces
// the action.
bool OnTerminationSignal(std::function<void()> action);

}  // namespace os
