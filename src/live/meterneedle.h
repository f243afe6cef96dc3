#pragma once
#include "common/datadir.h"

#include <QPointF>
#include <QString>
#include <optional>

namespace kelvora {

// The needle of one meter gauge in the gauge's own coordinates (twips, y
// growing downwards), the arithmetic of Draw_Needle: the pivot at the bottom
// centre, the needle sweeping 180 degrees over the output scale, 6 degrees a
// unit of the 30-unit scale: 0 points left, half scale up, full scale right.
// Values beyond the scale turn the needle past the horizontal.
struct Needle {
    int Needle_CX = 0;
    int Needle_CY = 0;
    float Needle_Radius = 0;
    int Needle_Margin = 0;
    QPointF tip;
};

struct NeedleScale {
    double inputMin = 0;
    double inputMax = 75;
    double outputMin = 0;
    double outputMax = 30;
    double marginRatio = 0.1;
};

Needle needleFor(double width, double height, const NeedleScale& scale, double value);

// A gauge's picture box: 2265 by 1185 twips.
inline constexpr double kGaugeWidth = 2265;
inline constexpr double kGaugeHeight = 1185;

// Rounds to the nearest integer, a half to the even neighbour.
int roundHalfEven(double value);

// What the meter window shows, from the ten fields of MeterKWS.dat.
struct MeterReading {
    int kwNeedle = 0;     // whole KW
    int ampsNeedle = 0;   // whole amps
    int voltsNeedle = 0;  // volts, rounded half to even
    QString Label1, Label2, Label3;        // KW "#0.0", amps "##0.0", volts "###.0"
    QString Label5_1, Label5_2;            // hourly average KWH "#0.0", cost "$0.0"
    QString Label7_1, Label7_2;            // daily average KWH "#0.0", cost "$0.0"
};

// Nothing when the file is missing or holds fewer than ten fields.
std::optional<MeterReading> readMeterKws(const DataDir& dir);

}  // namespace kelvora
