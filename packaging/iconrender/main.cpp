// nimbar-iconrender: draws a program's SVG icon into the PNG sizes of the desktop's icon theme,
// at build time, so that the drawing exists once and the sizes never drift from it.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

constexpr char kUsage[] = "Usage: nimbar-iconrender SVG OUTDIR NAME SIZE...\n"
                          "Writes OUTDIR/<SIZE>x<SIZE>/apps/NAME.png for each SIZE.\n";

int fail(const QString& message) {
    std::fprintf(stderr, "nimbar-iconrender: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // Raster painting only: no display is needed, whatever the build machine has.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList args = application.arguments().mid(1);
    if (args.size() < 4) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    QSvgRenderer renderer(args[0]);
    if (!renderer.isValid())
        return fail("cannot read the drawing " + args[0]);
    for (const QString& sizeText : args.mid(3)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        if (!ok || size < 8 || size > 1024)
            return fail("a size is 8 to 1024 pixels, not " + sizeText);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter);
        }
        const QString folder = QString("%1/%2x%2/apps").arg(args[1]).arg(size);
        const QString file = folder + '/' + args[2] + ".png";
        if (!QDir().mkpath(folder) || !image.save(file, "PNG"))
            return fail("cannot write " + file);
    }
    return 0;
}
