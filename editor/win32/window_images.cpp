#include "editor/win32/window_images.h"

HBITMAP loadBitmapOn(HINSTANCE instance, int id, COLORREF colour) {
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    DIBSECTION dib{};
    if (!bitmap || GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib ||
        dib.dsBm.bmBitsPixel != 24) {
        if (bitmap) DeleteObject(bitmap);
        return nullptr;
    }
    GdiFlush();
    auto* bits = static_cast<BYTE*>(dib.dsBm.bmBits);
    const BYTE red = GetRValue(colour), green = GetGValue(colour), blue = GetBValue(colour);
    for (LONG y = 0; y < dib.dsBm.bmHeight; ++y) {
        BYTE* pixel = bits + static_cast<std::ptrdiff_t>(y) * dib.dsBm.bmWidthBytes;
        for (LONG x = 0; x < dib.dsBm.bmWidth; ++x, pixel += 3) {
            // Blue, green, red.
            if (pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255) {
                pixel[0] = blue;
                pixel[1] = green;
                pixel[2] = red;
            }
        }
    }
    return bitmap;
}
