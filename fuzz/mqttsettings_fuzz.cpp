// Feeds arbitrary bytes to the MQTT settings reader as the content of its
// file, in a data directory held in memory. Whatever it reads must be
// usable (a port in range, topic words without wildcards) and, when the file
// can keep it, must read back the same after it is saved.
#include "fuzzsupport.h"

#include "common/datadir.h"
#include "common/memorysink.h"
#include "model/datafiles.h"
#include "publish/mqttsettings.h"

#include <algorithm>

using namespace kelvora;
using kelvora::fuzz::check;

namespace {

bool topicWord(const QString& s) {
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) {
        return c.unicode() < 128 && (c.isLetterOrNumber() || c == u'_' || c == u'-');
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DataDir dir(std::make_shared<MemorySink>(), QStringLiteral("memory"));
    check(dir.writeWhole(files::MqttSetup, fuzz::bytesOf(data, size)));
    const MqttSettings read = readMqttSettings(dir);
    check(read.port > 0);
    check(topicWord(read.topicPrefix) && topicWord(read.discoveryPrefix));
    check(read.nodeId.isEmpty() || topicWord(read.nodeId));

    if (!unsavableMqttText(read).isEmpty()) {
        check(!saveMqttSettings(dir, read));
        return 0;
    }
    check(saveMqttSettings(dir, read));
    check(readMqttSettings(dir) == read);
    return 0;
}
