// Renders the client's SVG icon into the PNG sizes of the icon theme, at
// build time: iconrender SVG OUTDIR SIZE... writes OUTDIR/SIZExSIZE/apps/NAME.png.
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: iconrender SVG OUTDIR SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        std::fprintf(stderr, "iconrender: can not read %s\n", qPrintable(args[1]));
        return 1;
    }
    const QString name = QFileInfo(args[1]).completeBaseName();
    for (int i = 3; i < args.size(); ++i) {
        const int size = args[i].toInt();
        if (size <= 0 || size > 4096)
            return 2;
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString dir = QString("%1/%2x%2/apps").arg(args[2]).arg(size);
        QDir().mkpath(dir);
        if (!image.save(dir + "/" + name + ".png", "PNG")) {
            std::fprintf(stderr, "iconrender: can not write into %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
