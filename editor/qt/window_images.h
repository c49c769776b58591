// The window's pictures (drawn for this tool; app/images holds their source):
// the logo, the five toolbar images and the window icon.
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>

// Every pure-white pixel (255, 255, 255) becomes `colour`, so a picture drawn
// on white sits on the window's own background; other pixels are kept.
QImage replacePureWhite(const QImage& image, const QColor& colour);

// The 119 x 55 logo with white replaced by `background`.
QPixmap logoPixmap(const QColor& background);
// Toolbar image 0..4 (open, save, read, write, reset), 32 x 32, white
// replaced by `background`.
QPixmap toolbarPixmap(int index, const QColor& background);
// The window icon in 16, 32, 48, 64 and 128 pixels.
QIcon applicationIcon();
