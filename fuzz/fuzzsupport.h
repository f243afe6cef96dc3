#pragma once
// What every fuzz target shares: a failed check is a crash the fuzzer keeps,
// and the warnings that bad input rightly causes are not printed (a
// terminal's output would cost more than the code under test).
#include <QByteArray>
#include <QtGlobal>
#include <cstdint>
#include <cstdlib>

namespace kelvora::fuzz {

inline void check(bool ok) {
    if (!ok) std::abort();
}

inline void silenceWarnings() {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

// The input's bytes, not copied.
inline QByteArray bytesOf(const uint8_t* data, size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

}  // namespace kelvora::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    kelvora::fuzz::silenceWarnings();
    return 0;
}
