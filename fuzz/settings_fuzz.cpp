// Feeds arbitrary bytes to the settings reader as the content of the
// settings file. What it reads, saved, must read back as every value, and
// saving that again must give the same file: a setting never drifts from one
// start of the program to the next.
#include "fuzzsupport.h"

#include "model/settings.h"

using namespace kelvora;
using kelvora::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Settings defaults = Settings::defaults();
    // As many as a file the program saved holds, however many settings it has.
    static const int kAllValues = readSettings(settingsFileContent(defaults), defaults).valuesRead;
    const LoadedSettings first = readSettings(fuzz::bytesOf(data, size), defaults);
    check(first.valuesRead >= 0 && first.valuesRead <= kAllValues);

    const QByteArray saved = settingsFileContent(first.values);
    const LoadedSettings again = readSettings(saved, defaults);
    check(again.valuesRead == kAllValues);
    check(settingsFileContent(again.values) == saved);
    return 0;
}
