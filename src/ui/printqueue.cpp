#include "ui/printqueue.h"

#include <QFile>
#include <QLibrary>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

namespace kelvora {
namespace {

// The two calls of the CUPS library that hand a file to a queue and say why
// it failed; loaded at run time, so the build needs no CUPS headers and a
// system without CUPS prints the native way.
struct Cups {
    using PrintFile = int (*)(const char* name, const char* filename, const char* title, int numOptions,
                              void* options);
    using LastErrorString = const char* (*)();
    PrintFile printFile = nullptr;
    LastErrorString lastErrorString = nullptr;
    explicit operator bool() const { return printFile && lastErrorString; }
};

const Cups& cups() {
    static const Cups api = [] {
        Cups c;
        QLibrary lib(QStringLiteral("cups"), 2);
        if (!lib.load()) return c;
        c.printFile = reinterpret_cast<Cups::PrintFile>(lib.resolve("cupsPrintFile"));
        c.lastErrorString = reinterpret_cast<Cups::LastErrorString>(lib.resolve("cupsLastErrorString"));
        return c;
    }();
    return api;
}

bool failedState(const QPrinter& printer) {
    return printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted;
}

PrintResult refused(const QString& why) { return PrintResult{false, QString(), why}; }

// The page drawn into a PDF for the printer (its page size, its resolution),
// then given to the queue by CUPS itself.
PrintResult printThroughCups(const Cups& api, const QString& printerName, const QPrinterInfo& info,
                             const QString& jobName, const PagePainter& paint) {
    QTemporaryDir dir;
    if (!dir.isValid()) return refused(QObject::tr("no room for the print file"));
    const QString file = dir.filePath(QStringLiteral("page.pdf"));
    {
        QPrinter printer(info, QPrinter::HighResolution);
        printer.setDocName(jobName);
        printer.setCreator(QStringLiteral("Kelvora"));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        // A PDF printer starts on the default paper: the page is the printer's.
        if (!info.isNull()) printer.setPageSize(info.defaultPageSize());
        if (!paint(printer) || failedState(printer)) return refused(QObject::tr("the page could not be drawn"));
    }
    // A printer instance ("office/duplex") is queued under its printer's name.
    const QByteArray queue = printerName.section(u'/', 0, 0).toLocal8Bit();
    const int job = api.printFile(queue.constData(), QFile::encodeName(file).constData(), jobName.toUtf8().constData(),
                                  0, nullptr);
    if (job <= 0) return refused(QString::fromUtf8(api.lastErrorString()));
    return PrintResult{true, QString::number(job), QString()};
}

PrintResult printNatively(const QPrinterInfo& info, const QString& jobName, const PagePainter& paint) {
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(jobName);
    printer.setCreator(QStringLiteral("Kelvora"));
    if (!paint(printer) || failedState(printer)) return refused(QObject::tr("the printer reported an error"));
    return PrintResult{true, QString(), QString()};
}

class SystemPrintQueue : public PrintQueue {
public:
    QString defaultPrinter() const override { return QPrinterInfo::defaultPrinter().printerName(); }

    PrintResult print(const QString& printer, const QString& jobName, const PagePainter& paint) override {
        const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
        if (const Cups& api = cups()) {
            // CUPS itself says whether the queue exists and takes jobs.
            return printThroughCups(api, printer, info, jobName, paint);
        }
        if (info.isNull()) return refused(QObject::tr("there is no printer %1").arg(printer));
        return printNatively(info, jobName, paint);
    }
};

}  // namespace

PrintQueue& systemPrintQueue() {
    static SystemPrintQueue queue;
    return queue;
}

}  // namespace kelvora
