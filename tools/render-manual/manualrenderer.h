#pragma once
#include <QString>
#include <QStringList>

namespace kelvora::manual {

struct RenderResult {
    bool ok = false;
    int pages = 0;
    QString error;        // why it failed
    QStringList missing;  // pictures the text names that could not be read
};

// Renders the user manual's Markdown to an A4 PDF with Qt's own text and PDF
// classes: pictures are taken relative to the Markdown file and scaled down to
// the text width, every top-level heading starts a page, and each page carries
// its number.
RenderResult renderManual(const QString& markdownPath, const QString& pdfPath);

// The number of pages of a PDF file, from its page objects (0 when unreadable).
int pdfPageCount(const QString& pdfPath);

}  // namespace kelvora::manual
