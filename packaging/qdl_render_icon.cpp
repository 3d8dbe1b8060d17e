// qdl-render-icon: draws the window icon (Glyph::ScreenIcon) as the PNG files
// of the hicolor icon theme, for the Debian package. Run at build time:
//
//   qdl-render-icon OUTDIR NAME SIZE...
//
// writes OUTDIR/<SIZE>x<SIZE>/apps/NAME.png for each size. The same program
// writes the same bytes on every run: the drawing is the glyph's own and the
// PNG carries no time.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "glyphs.h"

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUTDIR NAME SIZE...\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int side = QByteArray(argv[i]).toInt(&ok);
        if (!ok || side <= 0) {
            std::fprintf(stderr, "not a size: %s\n", argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(side);
        const QString file = dir + QLatin1Char('/') + name + QStringLiteral(".png");
        const QImage picture = drawGlyph(Glyph::ScreenIcon, {side, side}).toImage();
        if (!QDir().mkpath(dir) || !picture.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
