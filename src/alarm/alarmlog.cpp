#include "alarm/alarmlog.h"

#include "common/timestamp.h"
#include "model/datafiles.h"

namespace kelvora {
namespace {

const QString kGap = QStringLiteral("  ");

// A reason from the system could hold a line break; a log line never does.
QString oneLine(QString text) {
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    return text;
}

// A text as spreadsheets read it: quoted, an inner quote doubled.
QByteArray csvField(const QString& text) {
    return '"' + oneLine(text).replace(u'"', QStringLiteral("\"\"")).toUtf8() + '"';
}

}  // namespace

QByteArray alarmLogLine(const AlarmEvent& e) {
    const QString what = QLatin1String(e.raised ? "ALARM " : "CLEAR ") + alarmName(e.kind) + QStringLiteral(": ") +
                         oneLine(e.text);
    return (stamp(e.when) + kGap + what + QStringLiteral("\r\n")).toUtf8();
}

bool appendAlarmLog(const DataDir& dir, const AlarmEvent& event) {
    return dir.append(files::AlarmsLog, alarmLogLine(event));
}

QList<AlarmLogEntry> parseAlarmLog(const QByteArray& content) {
    QList<AlarmLogEntry> entries;
    for (QByteArray raw : content.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        // date, time with its AM/PM, then the text, each two blanks apart
        const QStringList parts = line.split(kGap);
        if (parts.size() < 3) continue;
        const auto when = parseStamp(parts[0] + kGap + parts[1]);
        if (!when) continue;
        AlarmLogEntry e;
        e.when = *when;
        const QString text = parts.mid(2).join(kGap);
        e.text = text;
        if (text == QLatin1String("Restart Program")) {
            e.type = AlarmLogEntry::Type::Restart;
        } else if (text.startsWith(QLatin1String("ALARM ")) || text.startsWith(QLatin1String("CLEAR "))) {
            e.kind = alarmKindOfText(text.mid(6));
            if (e.kind) {
                e.type = text.startsWith(u'A') ? AlarmLogEntry::Type::Alarm : AlarmLogEntry::Type::Clear;
                e.text = text.mid(6 + alarmName(*e.kind).size() + 2);
            }
        }
        entries << e;
    }
    return entries;
}

QString alarmLogTypeText(AlarmLogEntry::Type type) {
    switch (type) {
    case AlarmLogEntry::Type::Alarm: return QStringLiteral("ALARM");
    case AlarmLogEntry::Type::Clear: return QStringLiteral("CLEAR");
    case AlarmLogEntry::Type::Restart: return QStringLiteral("Restart");
    case AlarmLogEntry::Type::Other: break;
    }
    return QString();
}

QByteArray alarmLogCsv(const QList<AlarmLogEntry>& entries) {
    QByteArray csv = "stamp,event,alarm,text\r\n";
    for (const AlarmLogEntry& e : entries)
        csv += e.when.toString(Qt::ISODate).toUtf8() + ',' + csvField(alarmLogTypeText(e.type)) + ',' +
               csvField(e.kind ? alarmName(*e.kind) : QString()) + ',' + csvField(e.text) + "\r\n";
    return csv;
}

}  // namespace kelvora
