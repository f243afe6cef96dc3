#include "ui/appwindows.h"
#include "ui/helpwindow.h"
#include "ui/mainwindow.h"
#include "ui/usermanual.h"
#include "support/started.h"
#include "support/widgets.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTextBlock>
#include <QTextFragment>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QPushButton>
#include <QStatusBar>

using namespace kelvora;

namespace {

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

// "User Manual" opens the data directory's copy (written from the bundled one
// if missing, the user's own kept); without a PDF viewer the Help window shows.
TEST(UserManualButton, OpensTheDataDirectoryCopyWritingTheBundledOneFirst) {
    const QByteArray bundled = contentOf(kBundledUserManual);
    ASSERT_TRUE(bundled.startsWith("%PDF-"));
    // existing: the copy in the data directory (none when empty)
    const struct { const char* name; QByteArray existing; bool viewer; QByteArray expected; bool message; } cases[] = {
        {"no copy yet", {}, true, bundled, false},
        {"the user's own copy", "%PDF-1.4 mine", true, "%PDF-1.4 mine", false},
        {"no viewer", {}, false, bundled, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        kelvora::testing::StartedApp app;
        const QString manual = app.core.dir().filePath(QStringLiteral("Kelvora User Manual.pdf"));
        ASSERT_TRUE(c.existing.isEmpty() || app.core.dir().writeWhole("Kelvora User Manual.pdf", c.existing));
        app.settle();  // the user's copy is on the disk, as one put there by hand
        MainWindow window(mainWindowParts(app.core));
        QList<QUrl> opened;
        window.setDocumentOpener([&](const QUrl& url) {
            opened << url;
            // The file is complete before the viewer is asked to show it.
            EXPECT_EQ(contentOf(url.toLocalFile()), c.expected);
            return c.viewer;
        });
        kelvora::testing::child<QPushButton>(window, "CMD_USER_MAN")->click();
        EXPECT_EQ(opened, QList<QUrl>{QUrl::fromLocalFile(manual)});
        EXPECT_EQ(contentOf(manual), c.expected);
        EXPECT_EQ(window.statusBar()->currentMessage().contains("No PDF viewer"), c.message);
        auto* help = window.findChild<HelpWindow*>();
        EXPECT_EQ(help && help->isVisible(), !c.viewer);
    }
}

// Every chapter of the manual's source shows with its pictures, and a click
// in the list brings its chapter to the top.
TEST(HelpWindow, ShowsEveryChapterWithItsPictures) {
    QFile source(":/manual/manual.md");
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    QStringList chapters;
    QStringList pictures;
    for (const QByteArray& line : source.readAll().split('\n')) {
        if (line.startsWith("# ")) chapters << QString::fromUtf8(line.mid(2)).trimmed();
        if (const auto at = line.indexOf("]("); line.startsWith("![") && at > 0)
            pictures << QString::fromUtf8(line.mid(at + 2, line.indexOf(')', at) - at - 2));
    }
    ASSERT_GE(chapters.size(), 6);
    ASSERT_GE(pictures.size(), 6);
    HelpWindow help;
    help.resize(900, 600);
    help.show();
    for (const QString& chapter : chapters) EXPECT_TRUE(help.chapters().contains(chapter)) << chapter.toStdString();
    for (const QString& picture : pictures) {
        const QVariant image = help.text().loadResource(QTextDocument::ImageResource, QUrl(picture));
        EXPECT_FALSE(image.isNull()) << picture.toStdString();
    }
    // Every picture fits the text's width: none is cut at the right.
    QApplication::processEvents();
    int fitted = 0;
    for (QTextBlock b = help.text().document()->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()) {
                const double width = it.fragment().charFormat().toImageFormat().width();
                EXPECT_TRUE(width > 100 && width < help.text().viewport()->width())
                    << width << " in " << help.text().viewport()->width();
                ++fitted;
            }
    EXPECT_EQ(fitted, pictures.size());
    // A chapter in the middle, clicked in the list, stands at the top of the text.
    const QString middle = chapters[chapters.size() / 2];
    QTreeWidgetItem* item = help.contents().findItems(middle, Qt::MatchExactly).value(0);
    ASSERT_NE(item, nullptr);
    Q_EMIT help.contents().itemClicked(item, 0);
    EXPECT_EQ(help.chapterShown(), middle);
    kelvora::testing::child<QPushButton>(help, "CMD_Help_Close")->click();
    EXPECT_FALSE(help.isVisible());
}

// F1 and Help > Kelvora Help open the one Help window; "User Manual" as the button.
TEST(HelpWindow, TheHelpMenuAndF1OpenIt) {
    kelvora::testing::StartedApp app;
    MainWindow window(mainWindowParts(app.core));
    int viewerCalls = 0;
    window.setDocumentOpener([&](const QUrl&) { return ++viewerCalls, true; });
    auto* contents = window.findChild<QAction*>("actionHelp");
    ASSERT_NE(contents, nullptr);
    EXPECT_EQ(contents->shortcut(), QKeySequence(QKeySequence::HelpContents));
    contents->trigger();
    contents->trigger();
    EXPECT_EQ(window.findChildren<HelpWindow*>().size(), 1);
    EXPECT_TRUE(window.findChild<HelpWindow*>()->isVisible());
    window.findChild<QAction*>("actionUserManual")->trigger();
    EXPECT_EQ(viewerCalls, 1);
}
