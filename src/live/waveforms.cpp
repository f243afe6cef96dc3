#include "live/waveforms.h"

#include "common/numeric.h"
#include "common/records.h"
#include "model/datafiles.h"

#include <algorithm>

namespace kelvora {
namespace {

// Reads up to 25 values (one a line, or separated by commas) into `points`;
// returns how many were read. The points beyond keep their old values.
int readInto(const DataDir& dir, const QString& file, QList<double>& points) {
    const auto data = dir.read(file);
    if (!data) return 0;
    RecordReader reader(*data);
    int read = 0;
    while (read < Waveforms::kPoints && !reader.atEnd()) points[read++] = numericValue(reader.next());
    return read;
}

}  // namespace

Waveforms::Waveforms(const DataDir& dir, QObject* parent)
    : QObject(parent), dir_(dir), vac_(kPoints, 0.0), amps_(kPoints, 0.0) {}

void Waveforms::Update_WaveForms() {
    Read_WaveForm_Files();
    Q_EMIT updated();
}

void Waveforms::Read_WaveForm_Files() {
    const int vac = readInto(dir_, files::VAC_WAVE, vac_);
    vacKnown_ = std::max(vacKnown_, vac);
    // A failure on the voltage file ends the read before the current file.
    if (vac < kPoints) return;
    ampsKnown_ = std::max(ampsKnown_, readInto(dir_, files::A_AMP_WAVE, amps_));
}

}  // namespace kelvora
