// Renders docs/manual.md to "Kelvora User Manual.pdf" at build time:
//   kelvora-render-manual MANUAL.md OUT.pdf
#include "manualrenderer.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: kelvora-render-manual MANUAL.md OUT.pdf\n");
        return 2;
    }
    const auto result = kelvora::manual::renderManual(args[1], args[2]);
    for (const QString& name : result.missing)
        std::fprintf(stderr, "kelvora-render-manual: picture %s is missing\n", qPrintable(name));
    if (!result.ok) {
        std::fprintf(stderr, "kelvora-render-manual: %s\n", qPrintable(result.error));
        return 1;
    }
    std::printf("%s: %d pages\n", qPrintable(args[2]), result.pages);
    return 0;
}
