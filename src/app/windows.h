// Creation and release of every window of the program, in the fixed start-up order.
#pragma once

// Creates each window once, main window first; each creation handler sees only
// the windows created before it.
void CreateAllWindows();
// Frees every window, in reverse order of creation.
void FreeAllWindows();
