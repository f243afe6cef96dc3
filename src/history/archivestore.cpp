#include "history/archivestore.h"

#include "model/datafiles.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace kelvora {
namespace {

int key(YearMonth m) { return m.year * 12 + m.month - 1; }

qsizetype sizeOf(const MonthMinutes& m) { return qsizetype(m.points.size()); }
qsizetype sizeOf(const MonthHours&) { return 0; }
int damagedOf(const MonthMinutes& m) { return m.damaged; }
int damagedOf(const MonthHours& m) { return m.damaged; }

}  // namespace

ArchiveStore::ArchiveStore(DataDir dir, qsizetype minuteBudget) : dir_(std::move(dir)), budget_(minuteBudget) {}

template <typename T, typename Parse>
std::shared_ptr<const T> ArchiveStore::load(QHash<int, Entry<T>>& cache, const QString& name, YearMonth month,
                                            Parse parse) {
    Entry<T>& e = cache[key(month)];
    e.used = ++clock_;
    const QFileInfo info(dir_.filePath(name));
    const qint64 size = info.exists() ? info.size() : -1;
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    if (size == e.size && modified == e.modified) return e.data;
    held_ -= e.data ? sizeOf(*e.data) : 0;
    e = Entry<T>{nullptr, size, modified, e.used, false};
    if (size < 0) return nullptr;
    if (size > kMaxMonthBytes) {
        qWarning("%s is too large for a month of the archive; refused", qPrintable(info.filePath()));
        e.refused = true;
        return nullptr;
    }
    const auto content = dir_.read(name);
    if (!content) {
        e.refused = true;
        return nullptr;
    }
    e.data = std::make_shared<const T>(parse(*content));
    if (damagedOf(*e.data) > 0)
        qWarning("%s: %d damaged lines skipped", qPrintable(info.filePath()), damagedOf(*e.data));
    held_ += sizeOf(*e.data);
    return e.data;
}

std::shared_ptr<const MonthMinutes> ArchiveStore::minutes(YearMonth month) {
    auto data = load(minutes_, files::archiveMinutes(month.year, month.month), month, parseMonthMinutes);
    trimMinutes(key(month));
    return data;
}

std::shared_ptr<const MonthHours> ArchiveStore::hours(YearMonth month) {
    return load(hours_, files::archiveHours(month.year, month.month), month, parseMonthHours);
}

void ArchiveStore::trimMinutes(int keep) {
    // The month just asked for stays, whatever its size: it is being shown.
    while (held_ > budget_) {
        auto oldest = minutes_.end();
        for (auto it = minutes_.begin(); it != minutes_.end(); ++it)
            if (it.key() != keep && it->data && (oldest == minutes_.end() || it->used < oldest->used)) oldest = it;
        if (oldest == minutes_.end()) return;
        held_ -= sizeOf(*oldest->data);
        minutes_.erase(oldest);
    }
}

QList<YearMonth> ArchiveStore::months() const {
    static const QRegularExpression name(QStringLiteral("^(\\d{4})-(\\d{2})(-hours)?\\.csv$"));
    QList<YearMonth> found;
    for (const QString& file : QDir(dir_.filePath(files::ArchiveFolder)).entryList(QDir::Files)) {
        const auto m = name.match(file);
        if (!m.hasMatch()) continue;
        const YearMonth ym{m.captured(1).toInt(), m.captured(2).toInt()};
        if (ym.month >= 1 && ym.month <= 12 && !found.contains(ym)) found << ym;
    }
    std::sort(found.begin(), found.end());
    return found;
}

int ArchiveStore::damagedLines(YearMonth month) const {
    int n = 0;
    const auto m = minutes_.constFind(key(month));
    if (m != minutes_.constEnd() && m->data) n += m->data->damaged;
    const auto h = hours_.constFind(key(month));
    if (h != hours_.constEnd() && h->data) n += h->data->damaged;
    return n;
}

bool ArchiveStore::refused(YearMonth month) const {
    const auto m = minutes_.constFind(key(month));
    const auto h = hours_.constFind(key(month));
    return (m != minutes_.constEnd() && m->refused) || (h != hours_.constEnd() && h->refused);
}

}  // namespace kelvora
