// Draws the configurator's pictures and writes them as PNG files beside this
// source (or into the folder given as the only argument):
//   logo.png            119 x 55, opaque, on white (the window turns the
//                       white into its button colour when it loads it);
//   toolbar.png         160 x 32, five 32 x 32 images on white: open folder,
//                       floppy disk, arrow up out of a tray, lightning bolt,
//                       sheet of paper;
//   icon-N.png          the window and desktop icon, N = 16, 32, 48, 64, 128,
//                       with a transparent background;
// and the same pictures for the Windows build, which has no Qt to read PNGs:
//   logo.bmp, toolbar.bmp   24-bit bitmaps of the two above;
//   quelter-config.ico      the five icon sizes, 32-bit with alpha.
// The files are committed; run `cmake --build <dir> --target quelter-images`
// after changing a drawing. Pure white is kept for the background only, so
// that nothing inside a picture changes colour when the white is replaced.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <vector>

namespace {

const QColor kInk(40, 40, 48);
const QColor kNearWhite(250, 250, 247);  // paper and highlights: never pure white

QImage canvas(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

void antialias(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
}

// A map pin: a round head narrowing to a point at `tip`; `size` is its height.
QPainterPath pinPath(QPointF tip, double size) {
    const double r = size * 0.32;
    const QPointF centre(tip.x(), tip.y() - size + r);
    QPainterPath path;
    path.moveTo(tip);
    path.cubicTo(QPointF(tip.x() - r * 0.35, tip.y() - size * 0.35),
                 QPointF(centre.x() - r, centre.y() + r * 0.75),
                 QPointF(centre.x() - r, centre.y()));
    path.arcTo(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 180, -180);
    path.cubicTo(QPointF(centre.x() + r, centre.y() + r * 0.75),
                 QPointF(tip.x() + r * 0.35, tip.y() - size * 0.35), tip);
    return path;
}

void drawPin(QPainter& p, QPointF tip, double size) {
    const double r = size * 0.32;
    const QPointF centre(tip.x(), tip.y() - size + r);
    QRadialGradient fill(centre - QPointF(r * 0.4, r * 0.4), r * 1.6);
    fill.setColorAt(0, QColor(255, 150, 70));
    fill.setColorAt(1, QColor(205, 60, 20));
    p.setPen(QPen(QColor(150, 40, 10), std::max(1.0, size / 28)));
    p.setBrush(fill);
    p.drawPath(pinPath(tip, size));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 236, 200));
    p.drawEllipse(centre, r * 0.42, r * 0.42);
}

// Radio waves leaving a point, to the upper right.
void drawWaves(QPainter& p, QPointF from, double step, int count, const QColor& colour,
               double width) {
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= count; ++i) {
        QColor c = colour;
        c.setAlphaF(1.0 - 0.22 * (i - 1));
        p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap));
        const double r = step * i;
        p.drawArc(QRectF(from.x() - r, from.y() - r, 2 * r, 2 * r), 10 * 16, 70 * 16);
    }
}

QImage drawLogo() {
    QImage image = canvas(119, 55);
    QPainter p(&image);
    antialias(p);

    // A globe with its meridians behind the pin.
    const QPointF globe(24, 31);
    QRadialGradient sea(globe - QPointF(6, 7), 26);
    sea.setColorAt(0, QColor(120, 190, 245));
    sea.setColorAt(1, QColor(25, 90, 170));
    p.setPen(QPen(QColor(20, 70, 140), 1.2));
    p.setBrush(sea);
    p.drawEllipse(globe, 19, 19);
    p.setPen(QPen(QColor(190, 225, 250), 0.9));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(globe, 8, 19);
    p.drawLine(QPointF(globe.x(), globe.y() - 19), QPointF(globe.x(), globe.y() + 19));
    p.drawLine(QPointF(globe.x() - 19, globe.y()), QPointF(globe.x() + 19, globe.y()));
    p.drawLine(QPointF(globe.x() - 16, globe.y() - 9), QPointF(globe.x() + 16, globe.y() - 9));
    p.drawLine(QPointF(globe.x() - 16, globe.y() + 9), QPointF(globe.x() + 16, globe.y() + 9));

    drawPin(p, QPointF(28, 36), 30);
    drawWaves(p, QPointF(34, 12), 5, 3, QColor(30, 150, 60), 2.0);

    QFont bold("DejaVu Sans");
    bold.setBold(true);
    bold.setPixelSize(19);
    p.setFont(bold);
    p.setPen(QColor(25, 80, 160));
    p.drawText(QRectF(50, 6, 68, 22), Qt::AlignLeft | Qt::AlignVCenter, "GPS");
    QFont name("DejaVu Sans");
    name.setBold(true);
    name.setPixelSize(13);
    p.setFont(name);
    p.setPen(QColor(200, 70, 20));
    p.drawText(QRectF(50, 27, 69, 18), Qt::AlignLeft | Qt::AlignVCenter, "Quelter");
    p.setPen(QPen(QColor(25, 80, 160), 1.5));
    p.drawLine(QPointF(51, 47), QPointF(115, 47));
    return image;
}

// A closed outline through the points.
QPainterPath outline(std::initializer_list<QPointF> points) {
    QPainterPath path;
    path.moveTo(*points.begin());
    for (auto it = points.begin() + 1; it != points.end(); ++it) path.lineTo(*it);
    path.closeSubpath();
    return path;
}

// A fill running from `start` at `from` to `end` at `to`.
QLinearGradient shade(QPointF from, QPointF to, const QColor& start, const QColor& end) {
    QLinearGradient g(from, to);
    g.setColorAt(0, start);
    g.setColorAt(1, end);
    return g;
}

void drawFolder(QPainter& p) {
    // The back with its tab, then the open front leaning forward.
    const QPen edge(QColor(140, 95, 10), 1);
    p.setPen(edge);
    p.setBrush(shade({0, 7}, {0, 26}, QColor(238, 190, 60), QColor(200, 145, 25)));
    p.drawPath(outline({{3, 7}, {12, 7}, {14, 10}, {26, 10}, {26, 26}, {3, 26}}));
    // A sheet peeking out.
    p.setBrush(kNearWhite);
    p.setPen(QPen(QColor(150, 150, 150), 1));
    p.drawRect(QRectF(7, 12, 16, 10));
    p.setPen(edge);
    p.setBrush(shade({0, 15}, {0, 26}, QColor(255, 225, 100), QColor(240, 185, 40)));
    p.drawPath(outline({{3, 26}, {8, 15}, {30, 15}, {26, 26}}));
}

void drawFloppy(QPainter& p) {
    p.setPen(QPen(QColor(20, 40, 90), 1));
    p.setBrush(shade({0, 4}, {0, 28}, QColor(70, 110, 190), QColor(35, 65, 135)));
    p.drawPath(outline({{4, 4}, {25, 4}, {28, 7}, {28, 28}, {4, 28}}));
    // Metal shutter with its window, and the label.
    p.setBrush(QColor(200, 205, 215));
    p.setPen(QPen(QColor(110, 115, 125), 1));
    p.drawRect(QRectF(9, 4.5, 14, 8));
    p.setBrush(QColor(35, 65, 135));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(18, 6, 3, 5));
    p.setBrush(kNearWhite);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.drawRect(QRectF(7.5, 16, 17, 10.5));
    p.setPen(QPen(QColor(170, 60, 60), 1));
    p.drawLine(QPointF(9.5, 19), QPointF(22.5, 19));
    p.setPen(QPen(QColor(150, 150, 160), 1));
    p.drawLine(QPointF(9.5, 22), QPointF(22.5, 22));
}

void drawUpload(QPainter& p) {
    // The tray.
    p.setPen(QPen(QColor(70, 75, 85), 1));
    p.setBrush(shade({0, 19}, {0, 29}, QColor(175, 180, 190), QColor(110, 115, 125)));
    p.drawPath(
        outline({{3, 19}, {8, 19}, {8, 24}, {24, 24}, {24, 19}, {29, 19}, {29, 29}, {3, 29}}));
    // The arrow rising out of it.
    p.setPen(QPen(QColor(15, 90, 20), 1));
    p.setBrush(shade({6, 0}, {26, 0}, QColor(90, 200, 80), QColor(25, 135, 35)));
    p.drawPath(outline({{16, 2}, {26, 12}, {20, 12}, {20, 22}, {12, 22}, {12, 12}, {6, 12}}));
}

void drawLightning(QPainter& p) {
    p.setPen(QPen(QColor(170, 110, 0), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(shade({0, 2}, {0, 30}, QColor(255, 240, 90), QColor(245, 170, 0)));
    p.drawPath(outline({{19, 2}, {7, 17}, {14.5, 17}, {10, 30}, {25, 12}, {17, 12}, {22, 2}}));
}

void drawSheet(QPainter& p) {
    p.setPen(QPen(QColor(110, 115, 125), 1));
    p.setBrush(QColor(244, 246, 250));
    p.drawPath(outline({{6, 3}, {20, 3}, {27, 10}, {27, 29}, {6, 29}}));
    p.setBrush(QColor(205, 210, 220));
    p.drawPath(outline({{20, 3}, {20, 10}, {27, 10}}));
    p.setPen(QPen(QColor(120, 150, 200), 1));
    for (int y = 14; y <= 25; y += 3) p.drawLine(QPointF(9.5, y + 0.5), QPointF(23.5, y + 0.5));
}

QImage drawToolbar() {
    QImage image = canvas(160, 32);
    QPainter p(&image);
    antialias(p);
    void (*const pictures[])(QPainter&) = {drawFolder, drawFloppy, drawUpload, drawLightning,
                                           drawSheet};
    for (int i = 0; i < 5; ++i) {
        p.save();
        p.setClipRect(32 * i, 0, 32, 32);
        p.translate(32 * i, 0);
        pictures[i](p);
        p.restore();
    }
    return image;
}

// The icon: a blue rounded square with a globe's lines and the pin in front;
// drawn at 128 and scaled down with the small sizes simplified.
QImage drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    antialias(p);
    p.scale(size / 128.0, size / 128.0);

    QLinearGradient tile(0, 0, 0, 128);
    tile.setColorAt(0, QColor(70, 150, 230));
    tile.setColorAt(1, QColor(20, 75, 160));
    p.setPen(QPen(QColor(15, 55, 120), 3));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 24, 24);

    if (size >= 32) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(160, 210, 250), size >= 64 ? 3 : 5));
        p.drawEllipse(QPointF(64, 70), 42, 42);
        p.drawEllipse(QPointF(64, 70), 18, 42);
        p.drawLine(QPointF(22, 70), QPointF(106, 70));
    }
    drawPin(p, QPointF(64, 112), size >= 32 ? 92 : 100);
    if (size >= 48) drawWaves(p, QPointF(84, 30), 11, 2, QColor(140, 240, 150), 6);
    return image;
}

bool report(bool ok, const QString& path) {
    if (!ok)
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
    return ok;
}

bool save(const QImage& image, const QDir& dir, const QString& name, const char* format = "PNG") {
    const QString path = dir.filePath(name);
    return report(image.save(path, format), path);
}

// Little-endian fields of the Windows file formats.
void put16(QByteArray& out, std::uint16_t v) {
    out.append(char(v & 0xFF)).append(char(v >> 8));
}
void put32(QByteArray& out, std::uint32_t v) {
    put16(out, std::uint16_t(v & 0xFFFF));
    put16(out, std::uint16_t(v >> 16));
}

// One icon image as Windows stores it: a BITMAPINFOHEADER of twice the height
// (colour and mask), 32-bit BGRA rows bottom up, then the 1-bit AND mask
// (set where the picture is fully transparent), its rows padded to 32 bits.
QByteArray iconImage(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const int size = image.width();
    const int maskStride = ((size + 31) / 32) * 4;
    QByteArray out;
    put32(out, 40);
    put32(out, std::uint32_t(size));
    put32(out, std::uint32_t(size * 2));
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);  // BI_RGB
    put32(out, std::uint32_t(size * size * 4 + maskStride * size));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) put32(out, line[x]);  // 0xAARRGGBB: B, G, R, A in memory
    }
    for (int y = size - 1; y >= 0; --y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < size; ++x)
            if (qAlpha(line[x]) == 0) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

// An .ico file: the directory of the images, then the images.
bool saveIcon(const std::vector<QImage>& sizes, const QDir& dir, const QString& name) {
    std::vector<QByteArray> images;
    for (const QImage& image : sizes) images.push_back(iconImage(image));
    QByteArray out;
    put16(out, 0);
    put16(out, 1);  // an icon, not a cursor
    put16(out, std::uint16_t(images.size()));
    std::uint32_t offset = 6 + 16 * std::uint32_t(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = sizes[i].width();
        out.append(char(size >= 256 ? 0 : size)).append(char(size >= 256 ? 0 : size));
        out.append(char(0)).append(char(0));  // no palette; reserved
        put16(out, 1);                        // planes
        put16(out, 32);                       // bits per pixel
        put32(out, std::uint32_t(images[i].size()));
        put32(out, offset);
        offset += std::uint32_t(images[i].size());
    }
    for (const QByteArray& image : images) out.append(image);
    const QString path = dir.filePath(name);
    QFile file(path);
    return report(file.open(QIODevice::WriteOnly) && file.write(out) == out.size(), path);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);  // fonts for the logo's lettering
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    // 24-bit pictures, as the window expects them.
    const QImage logo = drawLogo().convertToFormat(QImage::Format_RGB888);
    const QImage toolbar = drawToolbar().convertToFormat(QImage::Format_RGB888);
    bool ok = save(logo, dir, "logo.png");
    ok = save(toolbar, dir, "toolbar.png") && ok;
    ok = save(logo, dir, "logo.bmp", "BMP") && ok;
    ok = save(toolbar, dir, "toolbar.bmp", "BMP") && ok;
    std::vector<QImage> icons;
    for (int size : {16, 32, 48, 64, 128}) {
        icons.push_back(drawIcon(size));
        ok = save(icons.back(), dir, QString("icon-%1.png").arg(size)) && ok;
    }
    ok = saveIcon(icons, dir, "quelter-config.ico") && ok;
    return ok ? 0 : 1;
}
