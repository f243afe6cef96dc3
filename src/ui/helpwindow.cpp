#include "ui/helpwindow.h"

#include <QAbstractTextDocumentLayout>
#include <QHBoxLayout>
#include <QEvent>
#include <QHeaderView>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <algorithm>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kelvora {
namespace {

// The contents list holds chapters and their sections; deeper headings
// would make it longer than it helps.
constexpr int kDeepestListed = 2;

QTextBlock headingBlock(const QTextDocument& doc, const QString& heading) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        if (b.blockFormat().headingLevel() > 0 && b.text().trimmed() == heading) return b;
    return {};
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent, const QString& source) : QWidget(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Kelvora Help"));
    text_ = new QTextBrowser;
    text_->setObjectName(QStringLiteral("HelpText"));
    text_->setOpenExternalLinks(true);
    // The manual is always longer than the window; a scroll bar that came
    // and went would change the width the pictures are fitted to.
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Relative picture names ("images/meter.png") are found beside the source.
    text_->setSource(QUrl(source), QTextDocument::MarkdownResource);
    contents_ = new QTreeWidget;
    contents_->setObjectName(QStringLiteral("HelpContents"));
    contents_->setHeaderHidden(true);
    contents_->setAccessibleName(tr("Chapters of the manual"));
    fillContents();
    text_->viewport()->installEventFilter(this);
    connect(contents_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { showChapter(item->text(0)); });

    auto* close = new QPushButton(tr("Close"));
    close->setObjectName(QStringLiteral("CMD_Help_Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* splitter = new QSplitter;
    splitter->addWidget(contents_);
    splitter->addWidget(text_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 760});
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    resize(1040, 720);
    if (text_->document()->isEmpty()) qWarning("The user manual %s could not be read", qPrintable(source));
}

void HelpWindow::fillContents() {
    QTreeWidgetItem* chapter = nullptr;
    for (QTextBlock b = text_->document()->begin(); b.isValid(); b = b.next()) {
        const int level = b.blockFormat().headingLevel();
        if (level < 1 || level > kDeepestListed) continue;
        if (level == 1 || !chapter) {
            chapter = new QTreeWidgetItem(contents_, {b.text().trimmed()});
        } else {
            new QTreeWidgetItem(chapter, {b.text().trimmed()});
        }
    }
    contents_->expandAll();
}

QStringList HelpWindow::chapters() const {
    QStringList names;
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) names << (*it)->text(0);
    return names;
}

bool HelpWindow::showChapter(const QString& heading) {
    const QTextBlock block = headingBlock(*text_->document(), heading);
    if (!block.isValid()) return false;
    // The heading at the top of the view, not merely somewhere on it.
    const QRectF where = text_->document()->documentLayout()->blockBoundingRect(block);
    text_->verticalScrollBar()->setValue(int(where.top()));
    QTextCursor cursor(block);
    text_->setTextCursor(cursor);
    return true;
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text_->viewport() && event->type() == QEvent::Resize) fitPictures();
    return QWidget::eventFilter(watched, event);
}

void HelpWindow::fitPictures() {
    QTextDocument* doc = text_->document();
    const double room = text_->viewport()->width() - 2 * doc->documentMargin() - 4;
    if (room <= 0) return;
    // Collected first: a new format splits and merges the fragments walked.
    struct Fit {
        int position, length;
        QTextImageFormat format;
    };
    QList<Fit> fits;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QSize size = pictureSize(image.name());
            if (size.isEmpty()) continue;
            const double scale = std::min(1.0, room / size.width());
            if (qFuzzyCompare(image.width(), size.width() * scale)) continue;
            image.setWidth(size.width() * scale);
            image.setHeight(size.height() * scale);
            fits.append({fragment.position(), fragment.length(), image});
        }
    }
    for (const Fit& f : fits) {
        QTextCursor cursor(doc);
        cursor.setPosition(f.position);
        cursor.setPosition(f.position + f.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(f.format);
    }
}

QSize HelpWindow::pictureSize(const QString& name) {
    if (const auto known = pictureSizes_.constFind(name); known != pictureSizes_.cend()) return *known;
    const QVariant data = text_->loadResource(QTextDocument::ImageResource, QUrl(name));
    QImage picture = data.value<QImage>();
    if (picture.isNull()) picture = QImage::fromData(data.toByteArray());
    pictureSizes_.insert(name, picture.size());
    return picture.size();
}

QString HelpWindow::chapterShown() const {
    const int top = text_->verticalScrollBar()->value();
    QString shown;
    for (QTextBlock b = text_->document()->begin(); b.isValid(); b = b.next()) {
        if (b.blockFormat().headingLevel() == 0) continue;
        if (text_->document()->documentLayout()->blockBoundingRect(b).top() > top) break;
        shown = b.text().trimmed();
    }
    return shown;
}

}  // namespace kelvora
