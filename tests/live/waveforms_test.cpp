#include "live/waveforms.h"
#include "model/datafiles.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace kelvora;

TEST(Waveforms, AMissingOrShortFileKeepsThePointsNotRead) {
    kelvora::testing::TempDataDir tmp;
    const DataDir dir(tmp.path());
    Waveforms w(dir);
    w.Update_WaveForms();
    EXPECT_TRUE(w.VAC_Wave().isEmpty());  // nothing to show before the first waveform

    const auto write = [&](int n, int step, int ampStep) {
        QByteArray vac, amp;
        for (int i = 1; i <= n; ++i) vac += QByteArray::number(i * step) + "\r\n";
        for (int i = 1; i <= 25; ++i) amp += QByteArray::number(i * ampStep) + "\r\n";
        dir.writeWhole(files::VAC_WAVE, vac);
        dir.writeWhole(files::A_AMP_WAVE, amp);
        w.Update_WaveForms();
    };
    write(25, 10, 10);
    ASSERT_EQ(w.VAC_Wave().size(), 25);
    EXPECT_EQ(w.A_AMP_Wave().last(), 250);
    write(10, -1, 20);  // a short voltage file
    const QList<double> vac = w.VAC_Wave();
    ASSERT_EQ(vac.size(), 25);
    EXPECT_EQ(std::tuple(vac[9], vac[10]), std::tuple(-10, 110));
    EXPECT_EQ(w.A_AMP_Wave()[0], 10);  // the current file is not read after the short one
    for (const QString& f : {files::VAC_WAVE, files::A_AMP_WAVE}) QFile::remove(dir.filePath(f));
    w.Update_WaveForms();
    EXPECT_EQ(w.VAC_Wave(), vac);
}
