#include "energy/tariffbook.h"

#include "model/datafiles.h"

#include <QDebug>

namespace kelvora {

TariffBook::TariffBook(const DataDir& dir, QObject* parent) : QObject(parent), dir_(dir) {}

void TariffBook::load() {
    followed_ = dir_.identity(files::Tariffs);
    if (!reload() && !tariff_) {
        // Refused at start: the last file accepted holds.
        if (const auto kept = dir_.read(files::TariffsAccepted)) {
            auto parsed = Tariff::parse(*kept, files::TariffsAccepted);
            if (auto* tariff = std::get_if<Tariff>(&parsed)) {
                qWarning("Tariffs.dat refused: the tariff last accepted stays in force");
                setTariff(std::move(*tariff));
            }
        }
    }
}

// A watch on the directory would wake the program for every file it saves
// itself, several times a second; one stat a second is far less.
void TariffBook::followFile() {
    auto now = dir_.identity(files::Tariffs);
    if (now == followed_) return;
    followed_ = std::move(now);
    reload();
}

bool TariffBook::reload() {
    const auto content = dir_.read(files::Tariffs);
    if (!content) {
        faults_.clear();
        lastRead_.reset();
        if (tariff_) setTariff(std::nullopt);
        return true;
    }
    // Touched but not changed (or saved again by the editor): nothing to do.
    if (lastRead_ && *content == *lastRead_) return faults_.isEmpty();
    lastRead_ = *content;
    auto parsed = Tariff::parse(*content, files::Tariffs);
    if (auto* faults = std::get_if<QStringList>(&parsed)) {
        faults_ = *faults;
        for (const QString& fault : faults_) qWarning().noquote() << fault;
        qWarning("%s refused: the tariff in force stays", qPrintable(files::Tariffs));
        return false;
    }
    faults_.clear();
    dir_.writeWhole(files::TariffsAccepted, *content);
    setTariff(std::move(std::get<Tariff>(parsed)));
    return true;
}

void TariffBook::setTariff(std::optional<Tariff> tariff) {
    tariff_ = std::move(tariff);
    Q_EMIT tariffChanged();
}

std::optional<double> TariffBook::priceAt(const QDateTime& when) const {
    return tariff_ ? tariff_->priceAt(when) : std::nullopt;
}

std::optional<TariffBand> TariffBook::bandAt(const QDateTime& when) const {
    return tariff_ ? tariff_->bandAt(when) : std::nullopt;
}

double TariffBook::dailyCharge(QDate day) const { return tariff_ ? tariff_->dailyCharge(day) : 0; }

}  // namespace kelvora
