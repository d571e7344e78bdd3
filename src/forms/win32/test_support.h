#pragma once
// Helpers for the renderer's tests under Wine: real input and screenshots.
#include <windows.h>

#include <string>

namespace tamber::forms::win32::testing {

// A left click at the middle of a window (screen input, as a user's).
void ClickWindow(HWND hwnd);
// A left click at a point of a window's client area.
void ClickAt(HWND hwnd, int x, int y);
// A key pressed and released, with optional modifier keys held (VK_MENU, VK_CONTROL, VK_SHIFT).
void PressKey(WORD vk, WORD modifier = 0);
// Writes the screen pixels under a window as a 24-bit BMP into the artefacts folder
// (TAMBER_ARTIFACTS, default /work/main/artifacts); returns the path or "" on failure.
std::string SaveScreenshot(HWND hwnd, const std::string& name);
// The colour on the screen at a point of a window's client area.
COLORREF PixelAt(HWND hwnd, int x, int y);

} // namespace tamber::forms::win32::testing
