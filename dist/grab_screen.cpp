// grab_screen OUT.png: saves what the X display shows, cut to the part that is not the plain
// black background, so a display holding one window gives a picture of that window.

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: grab_screen OUT.png\n");
        return 2;
    }
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    int left = shot.width(), top = shot.height(), right = -1, bottom = -1;
    for (int y = 0; y < shot.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            if ((line[x] & 0xffffff) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        std::fprintf(stderr, "grab_screen: the display shows nothing\n");
        return 1;
    }
    if (!shot.copy(left, top, right - left + 1, bottom - top + 1).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "grab_screen: %s could not be written\n", argv[1]);
        return 1;
    }
    return 0;
}
