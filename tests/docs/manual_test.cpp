#include "manualrenderer.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kelvora::manual;

const QString kSource = QStringLiteral(KELVORA_SOURCE_DIR "/docs/manual.md");

// The manual renders to a PDF of several pages in which a reader finds every
// window and tab by its name, with each picture the text names in place.
TEST(UserManual, RendersEveryWindowIntoAPagedPdf) {
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    const QString pdf = out.filePath(QStringLiteral("manual.pdf"));
    const RenderResult result = renderManual(kSource, pdf);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_TRUE(result.missing.isEmpty()) << result.missing.join(u' ').toStdString();
    // A chapter a page at least, and the pictures take room of their own.
    EXPECT_TRUE(result.pages >= 8 && result.pages <= 40) << result.pages;
    EXPECT_EQ(pdfPageCount(pdf), result.pages);

    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) GTEST_SKIP() << "pdftotext is not installed";
    QProcess p;
    p.start(tool, {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(60000) && p.exitCode() == 0);
    // Line breaks and the layout's blanks say nothing about the words.
    const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QString words = QString::fromUtf8(p.readAllStandardOutput()).replace(blanks, QStringLiteral(" "));
    for (const char* name : {"Current Trend", "RT Meters", "KW HistoryTrend", "A_AMPS History Trend",
                             "B_AMPS_History Trend", "VAC History Trend", "KWH History Trend", "Current tab",
                             "History tab", "Calcs tab", "Set-Up tab", "Kelvora User Manual"})
        EXPECT_TRUE(words.contains(QLatin1String(name))) << name;
    // The page numbers at the foot: the last page carries the page count.
    EXPECT_TRUE(words.contains(QString::number(result.pages)));
}
