// The X session of the stacking tests (x_session_main.cpp) and what the X
// server says about the windows on it.
#pragma once

#include <chrono>
#include <string>

class QWidget;

// Why the session could not be made; empty when it runs.
extern std::string XSessionProblem;

// Waits until a window manager has announced itself on the display.
bool WaitForWindowManager(std::chrono::milliseconds timeout);

// Where the top-level frame holding the widget's window stands in the X
// server's stacking order (0 at the bottom); -1 when it is not there.
int StackingIndex(const QWidget& window);

// Makes the window the active one as a click on it or on its task-bar entry
// does: the request comes from the user, so the window manager follows it.
void ActivateAsTheUserDoes(const QWidget& window);
