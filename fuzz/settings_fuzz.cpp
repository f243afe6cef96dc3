// Feeds arbitrary bytes to the settings reader as the content of the
// settings file. What it reads, saved, must read back as all nine values, and
// saving that again must give the same file: a setting never drifts from one
// start of the program to the next.
#include "fuzzsupport.h"

#include "model/settings.h"

using namespace kelvora;
using kelvora::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Settings defaults = Settings::defaults();
    const LoadedSettings first = readSettings(fuzz::bytesOf(data, size), defaults);
    check(first.valuesRead >= 0 && first.valuesRead <= 9);

    const QByteArray saved = settingsFileContent(first.values);
    const LoadedSettings again = readSettings(saved, defaults);
    check(again.valuesRead == 9);
    check(settingsFileContent(again.values) == saved);
    return 0;
}
