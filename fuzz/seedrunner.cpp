// Runs a fuzz target without libFuzzer over the inputs named (files, or
// directories of them), after the empty input that libFuzzer tries first:
// the tests run every target over its seeds so that a target whose checks no
// longer fit the program fails there, and not only in a long fuzzing run. A
// failed check aborts.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

int runFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return 0;
    }
    const QByteArray input = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()), size_t(input.size()));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    LLVMFuzzerInitialize(&argc, &argv);
    static const uint8_t none = 0;
    LLVMFuzzerTestOneInput(&none, 0);
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const QString path = QFile::decodeName(argv[i]);
        if (!QFileInfo(path).isDir()) {
            inputs += runFile(path);
            continue;
        }
        const QDir dir(path);
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) inputs += runFile(dir.filePath(name));
    }
    std::printf("%d inputs and the empty one ran without a failed check\n", inputs);
    return inputs > 0 ? 0 : 1;  // no input at all is a mistake in the test
}
