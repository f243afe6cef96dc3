#include "manualrenderer.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QColor>
#include <QTextBlock>
#include <QTextTable>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QUrl>

namespace kelvora::manual {
namespace {

// QTextDocument::print() sets a 2 cm margin inside the page and numbers the
// pages at the foot; the writer itself keeps no margin. Pictures are sized in
// the document's logical pixels, 96 to the inch.
constexpr double kPrintMarginMm = 20;
constexpr double kLogicalDpi = 96;
constexpr double kBodyPointSize = 10;

// Each picture at its own size, or scaled down to the text width; a picture
// that cannot be read is named in missing and left as the text's alt text.
void fitPictures(QTextDocument& doc, const QString& baseDir, double textWidth, QStringList& missing) {
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QString path = QFileInfo(baseDir + u'/' + image.name()).absoluteFilePath();
            const QImage picture(path);
            if (picture.isNull()) {
                missing << image.name();
                continue;
            }
            doc.addResource(QTextDocument::ImageResource, QUrl(image.name()), picture);
            double width = picture.width();
            double height = picture.height();
            if (width > textWidth) {
                height *= textWidth / width;
                width = textWidth;
            }
            image.setWidth(width);
            image.setHeight(height);
            QTextCursor cursor(&doc);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}

// Tables with thin ruled cells and some air, as a printed page has them.
void styleTables(QTextFrame* frame) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            format.setBorderCollapse(true);
            format.setBorder(1);
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorderBrush(QColor(0x88, 0x88, 0x88));
            format.setCellPadding(3);
            format.setCellSpacing(0);
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            table->setFormat(format);
        }
        styleTables(child);
    }
}

// Top-level headings (chapters) begin on a new page, the first excepted.
void breakBeforeChapters(QTextDocument& doc) {
    bool first = true;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() != 1) continue;
        if (first) {
            first = false;
            continue;
        }
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.setBlockFormat(format);
    }
}

}  // namespace

int pdfPageCount(const QString& pdfPath) {
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly)) return 0;
    // Each page object says "/Type /Page"; the page tree says "/Type /Pages".
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return static_cast<int>(QString::fromLatin1(file.readAll()).count(page));
}

RenderResult renderManual(const QString& markdownPath, const QString& pdfPath) {
    RenderResult result;
    QFile source(markdownPath);
    if (!source.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot read %1").arg(markdownPath);
        return result;
    }
    const QString markdown = QString::fromUtf8(source.readAll());

    QPdfWriter pdf(pdfPath);
    pdf.setTitle(QStringLiteral("Kelvora User Manual"));
    pdf.setCreator(QStringLiteral("Kelvora"));
    pdf.setResolution(300);
    const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(),
                             QPageLayout::Millimeter);
    if (!pdf.setPageLayout(layout)) {
        result.error = QStringLiteral("cannot lay out the pages");
        return result;
    }

    QTextDocument doc;
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPointSizeF(kBodyPointSize);
    doc.setDefaultFont(body);
    doc.setDefaultStyleSheet(QStringLiteral("code { font-family: monospace; }"));
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    const double textWidth =
        (layout.fullRect(QPageLayout::Millimeter).width() - 2 * kPrintMarginMm) / 25.4 * kLogicalDpi;
    fitPictures(doc, QFileInfo(markdownPath).absolutePath(), textWidth, result.missing);
    breakBeforeChapters(doc);
    styleTables(doc.rootFrame());

    doc.print(&pdf);
    result.pages = pdfPageCount(pdfPath);
    result.ok = result.pages > 0;
    if (!result.ok) result.error = QStringLiteral("cannot write %1").arg(pdfPath);
    return result;
}

}  // namespace kelvora::manual
