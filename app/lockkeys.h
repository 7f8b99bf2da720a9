#pragma once

#include <optional>

// Caps, Num and Scroll Lock as the window system reports them. Only X11
// (through XKB) tells; elsewhere the state is unknown.
struct LockKeyState
{
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

std::optional<LockKeyState> queryLockKeys();
