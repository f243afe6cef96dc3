#pragma once
#include "model/settings.h"

namespace kelvora {

// The values the subsystems hand to each other. Each has one writer:
// settings and calibration requests the set-up tab (the decoder sets the
// constants and clears the requests), readings and New_Message the decoder,
// cycle averages and Minute_Flag the channel averaging, the current values,
// totals the power and minute steps.
struct SharedState {
    Settings settings = Settings::defaults();
    QString VAC_Option_Loaded;

    int VAC_Cal_Request = 0;
    int AAMPS_Cal_Request = 0;
    int BAMPS_Cal_Request = 0;

    double VAC_Reading = 0;
    double A_AMPS_Reading = 0;
    double B_AMPS_Reading = 0;
    int New_Message = 0;

    double VAC_Avg = 0;
    double A_AMPS_Avg = 0;
    double B_AMPS_Avg = 0;
    int Minute_Flag = 0;

    double Cur_VAC = 0;
    double Cur_A_AMPS = 0;
    double Cur_B_AMPS = 0;
    double Cur_AMPS = 0;
    double Cur_KW = 0;

    double Total_KWH_Saved = 0;
    double Total_Cost_Saved = 0;
    double Cost_per_KWH = 0;
    // Every minute's energy since the data was initialised, in full precision;
    // only grows (the month-to-date total falls to zero every month).
    double Lifetime_KWH = 0;
    // Why saving data fails, in the system's words, while it does; else empty.
    QString Saving_Problem;
};

}  // namespace kelvora
