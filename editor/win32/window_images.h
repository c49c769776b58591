// The window's pictures from the resources (drawn by app/images/draw_images.cpp).
#pragma once

#include <windows.h>

// A 24-bit bitmap resource as a DIB section with every pure-white pixel
// (255, 255, 255) turned into `colour`, so the picture sits on the window's
// own background; other pixels are kept. nullptr when it cannot be loaded.
HBITMAP loadBitmapOn(HINSTANCE instance, int id, COLORREF colour);

// The same, drawn as a disabled command: every other pixel turned to a grey of
// its brightness, halfway to `colour`.
HBITMAP loadDisabledBitmapOn(HINSTANCE instance, int id, COLORREF colour);
