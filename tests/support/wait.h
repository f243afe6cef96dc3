#pragma once
// Serves Qt events until a condition holds or a deadline passes.
#include <QCoreApplication>
#include <QElapsedTimer>

namespace kelvora::testing {

template <typename Cond>
bool waitUntil(Cond cond, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

}  // namespace kelvora::testing
