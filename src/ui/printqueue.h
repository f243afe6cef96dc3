#pragma once
#include <QString>
#include <functional>

class QPagedPaintDevice;

namespace kelvora {

// Draws one page on a printer (or any paged device): sets the page layout it
// wants, paints, ends. False when it could not paint.
using PagePainter = std::function<bool(QPagedPaintDevice& device)>;

// What became of a print job.
struct PrintResult {
    bool queued = false;  // the print system took the job
    QString jobId;        // its number in the queue, when the system gives one
    QString error;        // why it was not taken
};

// The printers of the system, behind a small interface so that a test can
// stand in a printer that refuses its jobs.
class PrintQueue {
public:
    virtual ~PrintQueue() = default;
    // The system's default printer; empty when there is none.
    virtual QString defaultPrinter() const = 0;
    // Paints one page for `printer` at its resolution and sends it as a job
    // named `jobName`. Queued only when the print system has accepted it.
    virtual PrintResult print(const QString& printer, const QString& jobName, const PagePainter& paint) = 0;
};

// The system's printers. Under CUPS the page is drawn into a PDF for the
// printer and handed over with cupsPrintFile, whose answer says whether the
// queue took it (QPrinter drops that answer). Elsewhere the page goes through
// QPrinter and its state after the end of the document decides.
PrintQueue& systemPrintQueue();

}  // namespace kelvora
