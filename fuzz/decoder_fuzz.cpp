// Feeds arbitrary bytes to the meter message decoder, the way the socket hands
// them over: in receive slots cut at a few places.
//
// Input layout:
//   byte 0  bits 0-1 mains option (none, 120, 240, both), bits 2-4 pending
//           calibration requests (voltage, A, B), bits 5-6 number of cuts (0-3),
//           bit 7 start with the nominal voltage as the last accepted reading
//   then one byte per cut: where it falls, as a fraction of the stream
//   the rest: the stream, one character per byte
#include "fuzzsupport.h"

#include "common/datadir.h"
#include "common/memorysink.h"
#include "link/meterdecoder.h"
#include "model/fieldmodel.h"
#include "model/sharedstate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

using namespace kelvora;
using kelvora::fuzz::check;

namespace {

void checkSane(const SharedState& shared, const FieldModel& fields, const MeterDecoder& dec) {
    check(dec.fieldLength() <= MeterDecoder::kMaxValueChars);
    check(dec.msgState() >= 0 && dec.msgState() <= 2);
    check(std::isfinite(shared.VAC_Reading) && std::isfinite(shared.A_AMPS_Reading) &&
          std::isfinite(shared.B_AMPS_Reading));
    for (const char* f : {"Text100_A_CAL", "Text100_B_CAL", "Text100(15)"}) {
        const QString t = fields.text(QString::fromLatin1(f));
        check(!t.contains(QLatin1String("inf")) && !t.contains(QLatin1String("nan")));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t control = data[0];
    const size_t cuts = std::min<size_t>((control >> 5) & 3, size - 1);
    const uint8_t* cutBytes = data + 1;
    const QString stream = QString::fromLatin1(reinterpret_cast<const char*>(data + 1 + cuts),
                                               qsizetype(size - 1 - cuts));

    SharedState shared;
    FieldModel fields;
    fields.setChecked(QStringLiteral("Option_120vac"), control & 1);
    fields.setChecked(QStringLiteral("Option_240vac"), control & 2);
    shared.VAC_Cal_Request = (control >> 2) & 1;
    shared.AAMPS_Cal_Request = (control >> 3) & 1;
    shared.BAMPS_Cal_Request = (control >> 4) & 1;
    // The wave files it writes stay in memory: one fresh directory per input,
    // so that every run of an input is the same.
    MeterDecoder dec(shared, fields, DataDir(std::make_shared<MemorySink>(), QStringLiteral("memory")));
    if (control & 0x80) dec.setVacGood(240.0);

    std::vector<qsizetype> at{0, stream.size()};
    for (size_t i = 0; i < cuts; ++i) at.push_back(stream.size() * cutBytes[i] / 256);
    std::sort(at.begin(), at.end());
    for (size_t i = 0; i + 1 < at.size(); ++i) {
        dec.DecodeMeterMessage(stream.mid(at[i], at[i + 1] - at[i]));
        checkSane(shared, fields, dec);
    }
    return 0;
}
