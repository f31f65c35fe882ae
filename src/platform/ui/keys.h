// Virtual-key codes as the keyboard handlers expect them in OnKeyDown/OnKeyUp,
// and the mapping from Qt's key events to them.
#pragma once

#include "platform/ui/types.h"

class QKeyEvent;

constexpr unsigned short VK_BACK = 8;
constexpr unsigned short VK_TAB = 9;
constexpr unsigned short VK_RETURN = 13;
constexpr unsigned short VK_SHIFT = 16;
constexpr unsigned short VK_CONTROL = 17;
constexpr unsigned short VK_MENU = 18;  // Alt
constexpr unsigned short VK_PAUSE = 19;
constexpr unsigned short VK_CAPITAL = 20;
constexpr unsigned short VK_ESCAPE = 27;
constexpr unsigned short VK_SPACE = 32;
constexpr unsigned short VK_PRIOR = 33;  // Page Up
constexpr unsigned short VK_NEXT = 34;   // Page Down
constexpr unsigned short VK_END = 35;
constexpr unsigned short VK_HOME = 36;
constexpr unsigned short VK_LEFT = 37;
constexpr unsigned short VK_UP = 38;
constexpr unsigned short VK_RIGHT = 39;
constexpr unsigned short VK_DOWN = 40;
constexpr unsigned short VK_INSERT = 45;
constexpr unsigned short VK_DELETE = 46;
// '0'..'9' are 48..57 and 'A'..'Z' 65..90, as their characters.
constexpr unsigned short VK_NUMPAD0 = 96;
constexpr unsigned short VK_MULTIPLY = 106;
constexpr unsigned short VK_ADD = 107;
constexpr unsigned short VK_SUBTRACT = 109;
constexpr unsigned short VK_DECIMAL = 110;
constexpr unsigned short VK_DIVIDE = 111;
constexpr unsigned short VK_F1 = 112;
constexpr unsigned short VK_F2 = 113;
constexpr unsigned short VK_F3 = 114;
constexpr unsigned short VK_F4 = 115;
constexpr unsigned short VK_F5 = 116;
constexpr unsigned short VK_F6 = 117;
constexpr unsigned short VK_F7 = 118;
constexpr unsigned short VK_F8 = 119;
constexpr unsigned short VK_F9 = 120;
constexpr unsigned short VK_F10 = 121;
constexpr unsigned short VK_F11 = 122;
constexpr unsigned short VK_F12 = 123;
constexpr unsigned short VK_OEM_1 = 186;       // ;:
constexpr unsigned short VK_OEM_PLUS = 187;    // =+
constexpr unsigned short VK_OEM_COMMA = 188;   // ,<
constexpr unsigned short VK_OEM_MINUS = 189;   // -_
constexpr unsigned short VK_OEM_PERIOD = 190;  // .>
constexpr unsigned short VK_OEM_2 = 191;       // /?

// The virtual-key code of a Qt key event (0 for keys without one).
unsigned short VirtualKeyOf(const QKeyEvent& e);
// Shift, Alt and Ctrl of a Qt key event as a TShiftState.
TShiftState ShiftStateOf(const QKeyEvent& e);
