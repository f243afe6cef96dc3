// Renders the application icon's SVG to square PNGs of the sizes the desktop
// asks for (hicolor theme), at build time:
//   kelvora-render-icon ICON.svg OUTDIR SIZE...
// writes OUTDIR/SIZExSIZE.png for each size.
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: kelvora-render-icon ICON.svg OUTDIR SIZE...\n");
        return 2;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        std::fprintf(stderr, "kelvora-render-icon: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    QDir().mkpath(args[2]);
    for (qsizetype i = 3; i < args.size(); ++i) {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "kelvora-render-icon: bad size %s\n", qPrintable(args[i]));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        const QString out = QDir(args[2]).filePath(QStringLiteral("%1x%1.png").arg(size));
        if (!image.save(out, "PNG")) {
            std::fprintf(stderr, "kelvora-render-icon: cannot write %s\n", qPrintable(out));
            return 1;
        }
    }
    return 0;
}
