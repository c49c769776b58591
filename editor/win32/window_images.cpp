#include "editor/win32/window_images.h"

namespace {

HBITMAP load(HINSTANCE instance, int id, COLORREF colour, bool disabled) {
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
            } else if (disabled) {
                const int grey = (pixel[0] * 11 + pixel[1] * 59 + pixel[2] * 30) / 100;
                pixel[0] = static_cast<BYTE>((grey + blue) / 2);
                pixel[1] = static_cast<BYTE>((grey + green) / 2);
                pixel[2] = static_cast<BYTE>((grey + red) / 2);
            }
        }
    }
    return bitmap;
}

}  // namespace

HBITMAP loadBitmapOn(HINSTANCE instance, int id, COLORREF colour) {
    return load(instance, id, colour, false);
}

HBITMAP loadDisabledBitmapOn(HINSTANCE instance, int id, COLORREF colour) {
    return load(instance, id, colour, true);
}
