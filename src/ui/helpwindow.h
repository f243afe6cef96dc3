#pragma once
#include <QHash>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

class QTextBrowser;
class QTreeWidget;

namespace kelvora {

// The user manual's source as built into the program: the Markdown and its
// pictures (the same docs/manual.md the PDF is rendered from).
inline const QString kBundledManualSource = QStringLiteral("qrc:/manual/manual.md");

// The Help window: the user manual shown inside the program, pictures
// included, with its chapters listed beside the text. Needs no PDF viewer.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr, const QString& source = kBundledManualSource);

    // The headings of the contents list, in order ("Connecting to the serial server").
    QStringList chapters() const;
    // Scrolls the text to a heading; false when the manual has none of that name.
    bool showChapter(const QString& heading);
    // The heading at the top of the text now.
    QString chapterShown() const;

    QTextBrowser& text() { return *text_; }
    QTreeWidget& contents() { return *contents_; }

protected:
    // The text's viewport is watched: the pictures follow its width.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillContents();
    // Each picture at its own size, or scaled down to the text's width, so
    // that no picture is cut at the right.
    void fitPictures();
    QSize pictureSize(const QString& name);

    QTextBrowser* text_ = nullptr;
    QTreeWidget* contents_ = nullptr;
    QHash<QString, QSize> pictureSizes_;
};

}  // namespace kelvora
