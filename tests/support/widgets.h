#pragma once
// Finds a named child widget of a window and fails the test when it is missing.
#include <QObject>
#include <gtest/gtest.h>

namespace kelvora::testing {

template <typename W>
W* child(const QObject& parent, const QString& name) {
    W* w = parent.findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
}

}  // namespace kelvora::testing
