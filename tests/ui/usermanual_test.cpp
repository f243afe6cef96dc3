#include "ui/mainwindow.h"
#include "ui/usermanual.h"
#include "support/started.h"
#include "support/widgets.h"

#include <QFile>
#include <QPushButton>
#include <QStatusBar>

using namespace kelvora;

namespace {

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

// "User Manual" opens the manual in the data directory with the desktop's
// viewer, writing the bundled one there first when the directory has none; a
// copy of the user's own stays as it is; a manual that cannot be opened is
// said so in the status bar.
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
        MainWindow window(app.core);
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
        EXPECT_EQ(window.statusBar()->currentMessage().contains("could not be opened"), c.message);
    }
}
