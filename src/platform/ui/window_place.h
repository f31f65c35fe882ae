// Where a top-level window sits on the desktop, and fitting a place read
// from a settings file (which may be from another screen, or damaged) to
// the screen there is now.
#pragma once

class QWidget;

namespace ui {

// Left and top of the window's frame, and the window's size without it.
struct WindowPlace {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const WindowPlace&) const = default;
};

// The part of a screen free for windows (no panels or docks).
struct WorkArea {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// Room the window manager's frame takes round a window: the title bar above
// and a border on each other side.
inline constexpr int kFrameTitleHeight = 32;
inline constexpr int kFrameBorder = 4;

// The place moved and shrunk so that the window, frame included, lies in the
// area: never smaller than the minimum size, and never above or left of the
// area, so that the title bar stays within reach when the minimum is larger
// than the area.
// The frame's own width and height (both borders, title bar and bottom
// border) are the window manager's usual ones unless they are known.
WindowPlace FitWindowPlace(const WindowPlace& place, int minWidth, int minHeight, const WorkArea& area,
                           int frameWidth = 2 * kFrameBorder, int frameHeight = kFrameTitleHeight + kFrameBorder);

// The work area of the screen that holds (x, y), or of the primary screen
// when no screen does.
WorkArea WorkAreaAt(int x, int y);

// Keeps a window of the system's own (a file or message dialog) inside the
// work area of its screen: once it appears, and whenever it grows.
void KeepInWorkArea(QWidget& window);

}  // namespace ui
