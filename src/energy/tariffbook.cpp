#include "energy/tariffbook.h"

#include "model/datafiles.h"

#include <QDebug>
#include <QFileInfo>

namespace kelvora {

TariffBook::TariffBook(const DataDir& dir, QObject* parent) : QObject(parent), dir_(dir) {
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { reload(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { reload(); });
}

void TariffBook::load() {
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
    watch();
}

bool TariffBook::reload() {
    // An editor that saves by rename replaces the file: watch the new one.
    watch();
    const auto content = dir_.read(files::Tariffs);
    if (!content) {
        faults_.clear();
        lastRead_.reset();
        if (tariff_) setTariff(std::nullopt);
        return true;
    }
    // The directory changes with every file the program saves: a file read
    // before is not read again.
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

void TariffBook::watch() {
    const QString file = dir_.filePath(files::Tariffs);
    if (!watcher_.directories().contains(dir_.path())) watcher_.addPath(dir_.path());
    if (QFileInfo::exists(file) && !watcher_.files().contains(file)) watcher_.addPath(file);
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
