#pragma once
#include <QWidget>

namespace kelvora {

class ChartView;
class Waveforms;

// The two waveform charts of the "Current" tab side by side: MSChart1 the
// line voltage, MSChart2 the phase A current, replotted from the waveform
// reader whenever it has read the files (once per reading set). Charts that
// nobody sees (another tab, a minimised window) are not redrawn; they catch
// up when they show again.
class WaveformPanel : public QWidget {
    Q_OBJECT
public:
    explicit WaveformPanel(Waveforms& waveforms, QWidget* parent = nullptr);

    void Plot_WaveForms();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool seen() const;


    Waveforms& waveforms_;
    ChartView* vac_ = nullptr;
    ChartView* amps_ = nullptr;
    bool stale_ = false;
};

}  // namespace kelvora
