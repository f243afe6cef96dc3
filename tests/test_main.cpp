#include "common/heap.h"

#include <gtest/gtest.h>
#ifdef KELVORA_WIDGET_TESTS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif

// The offscreen platform keeps every test off any display; only the window
// tests get a widget application.
int main(int argc, char** argv) {
    kelvora::keepFileBuffersInHeap();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
