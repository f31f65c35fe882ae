// Work posted to the message loop: it runs once the handler now running has
// returned and the loop takes its next event.
#pragma once

#include <functional>

class TControl;

// Runs `action` once from the message loop, unless `context` has gone by
// then. False (and nothing posted) while `context` has no window.
bool PostToMessageLoop(TControl* context, std::function<void()> action);
