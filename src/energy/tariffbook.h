#pragma once
#include "common/datadir.h"
#include "energy/tariff.h"

#include <QObject>

#include <optional>

namespace kelvora {

// The tariff in force: read from Tariffs.dat at start and whenever the file
// changes on disk (followFile(), called every second, notices it). A file that is refused leaves the tariff in force as it
// was and its faults on the standard error stream. Each accepted file is kept
// as Tariffs.accepted, so that a start with a refused file keeps the last
// good tariff; without Tariffs.dat there is no tariff (the flat price).
class TariffBook : public QObject {
    Q_OBJECT
public:
    explicit TariffBook(const DataDir& dir, QObject* parent = nullptr);

    // Start-up: reads the file (or the accepted copy).
    void load();
    // Reads Tariffs.dat again. True when it was accepted or is absent.
    bool reload();
    // Reads the file again when it was created, written, replaced or
    // removed since it was last looked at; one stat of it otherwise.
    void followFile();

    const std::optional<Tariff>& tariff() const { return tariff_; }
    std::optional<double> priceAt(const QDateTime& when) const;
    std::optional<TariffBand> bandAt(const QDateTime& when) const;
    double dailyCharge(QDate day) const;
    // The faults of the last file refused; empty after one accepted.
    const QStringList& faults() const { return faults_; }

Q_SIGNALS:
    void tariffChanged();

private:
    void setTariff(std::optional<Tariff> tariff);

    DataDir dir_;
    std::optional<FileIdentity> followed_;  // Tariffs.dat when last looked at
    std::optional<Tariff> tariff_;
    std::optional<QByteArray> lastRead_;  // Tariffs.dat as last read
    QStringList faults_;
};

}  // namespace kelvora
