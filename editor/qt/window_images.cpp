#include "editor/qt/window_images.h"

// The pictures are compiled into this library; a static library has to
// register them itself before their first use. (Outside any namespace: the
// macro declares the registration function where it stands.)
static void registerPictures() {
    static bool done = false;
    if (done) return;
    Q_INIT_RESOURCE(quelter_images);
    done = true;
}

QImage replacePureWhite(const QImage& image, const QColor& colour) {
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb replacement = colour.rgb();
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if (line[x] == white) line[x] = replacement;
    }
    return out;
}

QPixmap logoPixmap(const QColor& background) {
    registerPictures();
    return QPixmap::fromImage(replacePureWhite(QImage(":/quelter/logo.png"), background));
}

QPixmap toolbarPixmap(int index, const QColor& background) {
    registerPictures();
    static const QImage strip(":/quelter/toolbar.png");
    return QPixmap::fromImage(replacePureWhite(strip.copy(32 * index, 0, 32, 32), background));
}

QIcon applicationIcon() {
    registerPictures();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addFile(QString(":/quelter/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}
