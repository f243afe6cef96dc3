#pragma once
#include <QWidget>

namespace kelvora {

class ChartView;
class Waveforms;

// The two waveform charts of the "Current" tab side by side: MSChart1 the
// line voltage, MSChart2 the phase A current, replotted from the waveform
// reader whenever it has read the files (once per reading set).
class WaveformPanel : public QWidget {
    Q_OBJECT
public:
    explicit WaveformPanel(Waveforms& waveforms, QWidget* parent = nullptr);

    void Plot_WaveForms();

private:
    Waveforms& waveforms_;
    ChartView* vac_ = nullptr;
    ChartView* amps_ = nullptr;
};

}  // namespace kelvora
