#include "live/waveforms.h"
#include "model/datafiles.h"
#include "support/fakes.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::TempDataDir;

TEST(Waveforms, AMissingOrShortFileKeepsThePointsNotRead) {
    TempDataDir tmp;
    const DataDir dir(tmp.path());
    Waveforms w(dir);
    int updated = 0;
    QObject::connect(&w, &Waveforms::updated, [&] { ++updated; });
    w.Update_WaveForms();
    EXPECT_EQ(updated, 1);
    EXPECT_TRUE(w.VAC_Wave().isEmpty());  // nothing to show before the first waveform

    const auto wave = [](int n, int step) {
        QByteArray all;
        for (int i = 1; i <= n; ++i) all += QByteArray::number(i * step) + "\r\n";
        return all;
    };
    dir.writeWhole(files::VAC_WAVE, wave(25, 10));
    dir.writeWhole(files::A_AMP_WAVE, wave(25, 10));
    w.Update_WaveForms();
    ASSERT_EQ(w.VAC_Wave().size(), 25);
    EXPECT_EQ(w.A_AMP_Wave().last(), 250);

    dir.writeWhole(files::VAC_WAVE, wave(10, -1));
    dir.writeWhole(files::A_AMP_WAVE, wave(25, 20));
    w.Update_WaveForms();
    const QList<double> vac = w.VAC_Wave();
    ASSERT_EQ(vac.size(), 25);
    EXPECT_EQ(vac[9], -10);
    EXPECT_EQ(vac[10], 110);
    EXPECT_EQ(w.A_AMP_Wave()[0], 10);  // the current file is not read after the short one

    QFile::remove(dir.filePath(files::VAC_WAVE));
    QFile::remove(dir.filePath(files::A_AMP_WAVE));
    w.Update_WaveForms();
    EXPECT_EQ(w.VAC_Wave(), vac);
}
