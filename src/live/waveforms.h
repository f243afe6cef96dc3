#pragma once
#include "common/datadir.h"

#include <QList>
#include <QObject>

namespace kelvora {

// The two waveforms of the last message as the "Current" tab plots them:
// 25 points each, read back from VAC_WAVE.dat and A_AMP_WAVE.dat on every
// reading set. A missing or short file leaves the points not read as they
// were, so a waveform stays on screen until its file is rewritten.
class Waveforms : public QObject {
    Q_OBJECT
public:
    static constexpr int kPoints = 25;
    explicit Waveforms(const DataDir& dir, QObject* parent = nullptr);

    // Reads both files and announces the points (called once per reading set).
    void Update_WaveForms();
    void Read_WaveForm_Files();

    // The points known so far: none before the first waveform, then points
    // 1..n of the 25 (n grows as values arrive, never shrinks).
    QList<double> VAC_Wave() const { return vac_.mid(0, vacKnown_); }
    QList<double> A_AMP_Wave() const { return amps_.mid(0, ampsKnown_); }

Q_SIGNALS:
    // The charts plot here.
    void updated();

private:
    const DataDir& dir_;
    QList<double> vac_;
    QList<double> amps_;
    int vacKnown_ = 0;
    int ampsKnown_ = 0;
};

}  // namespace kelvora
