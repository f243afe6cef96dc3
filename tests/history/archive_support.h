#pragma once
// The archive tests run in a real zone with daylight saving time, whatever
// the machine's: New York, where 2026-03-08 has 23 hours and 2026-11-01 25.
#include "history/minutearchive.h"
#include "model/datafiles.h"
#include "model/minuterecord.h"
#include "support/zone.h"

#include <QDateTime>
#include <QTimeZone>
#include <optional>
#include <functional>
#include <gtest/gtest.h>

namespace kelvora::testing {

class NewYorkTime : public ::testing::Test {
protected:
    void SetUp() override { zone_.emplace("America/New_York"); }
    void TearDown() override { zone_.reset(); }
    // A local time in New York; fromUtc tells the two 1 AMs of 1 November apart.
    static QDateTime at(int y, int mo, int d, int h, int mi, int s = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
    }
    static QDateTime fromUtc(int y, int mo, int d, int h, int mi, int s = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), QTimeZone::utc()).toLocalTime();
    }
    static MinuteRecord minute(const QDateTime& when, double kw, double volts = 240, double ampsA = 10,
                               double ampsB = 8) {
        return MinuteRecord{when, volts, ampsA, ampsB, kw, kw / 60, kw / 60 * 0.2};
    }

    // The archive's files unsynced: the tests record days of minutes.
    static QSet<QString> archiveFiles() {
        QSet<QString> names;
        for (int y = 2025; y <= 2027; ++y)
            for (int m = 1; m <= 12; ++m) names << files::archiveMinutes(y, m) << files::archiveHours(y, m);
        return names;
    }
    // Minutes in [from, to), KW from `kw`, as the archive writes them; the last hour closed.
    static void record(const DataDir& dir, const QDateTime& from, const QDateTime& to,
                       const std::function<double(const QDateTime&)>& kw) {
        MinuteArchive archive(dir);
        archive.start(from);
        for (QDateTime t = from; t < to; t = t.addSecs(60)) archive.append(minute(t, kw(t)));
        archive.closeHour(to.addSecs(3600));
    }

private:
    std::optional<ZoneScope> zone_;
};

}  // namespace kelvora::testing
