#pragma once
// Key codes as the screens' key-down handlers know them (the platform's virtual key codes:
// Backspace 8, Tab 9, Enter 13, Escape 27, Space 32, PageUp 33, PageDown 34, End 35, Home 36,
// Left 37, Up 38, Right 39, Down 40, Shift 16, Control 17, Alt 18, Insert 45, Delete 46, digits and letters as their upper-case
// character codes, F1 112 ... F12 123), and the shift state that comes with them.
// VirtualKeyFromQt returns 0 for a key that has no code here.

#include <Qt>

using TShiftState = Qt::KeyboardModifiers;

namespace VK {
constexpr int Back = 8, Tab = 9, Return = 13, Escape = 27, Space = 32, Prior = 33, Next = 34, End = 35,
              Home = 36, Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46, F1 = 112;
}

int VirtualKeyFromQt(int qtKey);
