#pragma once
#include "common/datadir.h"
#include "energy/kwhdates.h"

#include <QList>
#include <QString>

namespace kelvora {

class WindowState;

// The category label of a bar from the stamp of its record: "Mon 7 2:00 PM"
// hourly, "Mon Dec 7" daily, "Dec 7" weekly, "JAN" .. "DEC" monthly (with
// "JUNE", "JULY", "SEPT"), "2026" yearly. A stamp that is no date stays as it is.
QString kwhBarLabel(KwhPeriod period, const QString& stamp);

struct KwhBar {
    QString label;
    double value = 0;
    QString stamp;         // of its record: when its period ended
    bool hasData = false;  // drawn from a record of the period
};
// The 60 bars of a graph from Roll_Stamp and Roll_Value: the hourly graph
// draws every record; the others only those with a value, and the bars not
// drawn are 0 without a label. Every bar keeps its record's stamp. The zero
// records a new file was filled with (one stamp for all, before the first
// period ended) are bars without data, in every graph.
QList<KwhBar> kwhBars(KwhPeriod period, const WindowState& windows);

// The energy of the eleven most recent monthly totals of KWHMonth.dat that are
// not 0 (the zero record after each total does not count), "##,###".
QString ytdKwhText(const DataDir& dir);

}  // namespace kelvora
