#pragma once
// Small helpers shared by the tests: a fresh data directory per test.
#include "common/datadir.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kelvora::testing {

class TempDataDir {
public:
    TempDataDir() { EXPECT_TRUE(tmp_.isValid()); }
    DataDir dir() const { return DataDir(tmp_.path()); }
    QString path() const { return tmp_.path(); }
    QByteArray contents(const QString& name) const { return dir().read(name).value_or(QByteArray()); }

private:
    QTemporaryDir tmp_;
};

}  // namespace kelvora::testing

// Readable QString values in test failure messages.
#include <QString>
#include <ostream>
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
