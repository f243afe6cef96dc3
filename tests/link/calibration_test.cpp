#include "app/setupcontroller.h"
#include "link/meterdecoder.h"
#include "support/fakes.h"
#include "support/messages.h"

#include <gtest/gtest.h>

using namespace kelvora;
using kelvora::testing::meterMessage;
using kelvora::testing::TempDataDir;

// Calibrating a phase that carries no current would set its constant to 0
// and freeze its readings; the request waits until there is a signal.
TEST(Calibration, WaitsForASignalAboveTheZeroLevel) {
    TempDataDir tmp;
    SharedState shared;
    FieldModel fields;
    selectMainsOption(fields, "240");
    MeterDecoder decoder(shared, fields, tmp.dir());
    shared.settings.AAMPS_Cal_Value = SettingValue::Text("50.0");
    shared.AAMPS_Cal_Request = 1;
    for (int raw : {511, 300, 0}) {
        SCOPED_TRACE(raw);
        decoder.DecodeMeterMessage(meterMessage(911, raw, 600));
        EXPECT_EQ(shared.AAMPS_Cal_Request, 1);
        EXPECT_EQ(shared.settings.AAMPS_Cal.display(), "256");
    }
    decoder.DecodeMeterMessage(meterMessage(911, 767, 600));
    EXPECT_EQ(shared.AAMPS_Cal_Request, 0);
    EXPECT_EQ(shared.settings.AAMPS_Cal.display(), "256");
    EXPECT_DOUBLE_EQ(shared.A_AMPS_Reading, 50.0);
    EXPECT_TRUE(tmp.contents(files::Settings).contains("\r\n256\r\n"));
}
