#include "model/settings.h"


#include <array>

namespace kelvora {
namespace {

const QString kHeader = QStringLiteral(
    "Starting on line 2, every other line is a comment.  comments must be in quotes.");

struct Line {
    const char* label;
    SettingValue Settings::*member;
};
const std::array<Line, 11> kLines = {{
    {"remote host", &Settings::Remote_Host},
    {"remote port", &Settings::Remote_Port},
    {"VAC Cal Value", &Settings::VAC_Cal_Value},
    {"VAC Option", &Settings::VAC_Option},
    {"VAC Cal", &Settings::VAC_Cal},
    {"AAMPS Cal", &Settings::AAMPS_Cal},
    {"BAMPS Cal", &Settings::BAMPS_Cal},
    {"AAMPS Cal Value", &Settings::AAMPS_Cal_Value},
    {"BAMPS Cal Value", &Settings::BAMPS_Cal_Value},
    {"currency symbol", &Settings::Currency_Symbol},
    {"currency code", &Settings::Currency_Code},
}};

}  // namespace

Settings Settings::defaults() {
    Settings s;
    s.Remote_Host = SettingValue::Text(kDefaultRemoteHost);
    s.Remote_Port = SettingValue::Text(QStringLiteral("5000"));
    s.VAC_Cal_Value = SettingValue::Text(QStringLiteral("240.0"));
    s.VAC_Option = SettingValue::Text(QStringLiteral("240"));
    s.VAC_Cal = SettingValue::Text(QStringLiteral("400"));
    s.AAMPS_Cal = SettingValue::Text(QStringLiteral("256"));
    s.BAMPS_Cal = SettingValue::Text(QStringLiteral("256"));
    s.AAMPS_Cal_Value = SettingValue::Text(QStringLiteral("100.0"));
    s.BAMPS_Cal_Value = SettingValue::Text(QStringLiteral("100.0"));
    s.Currency_Symbol = SettingValue::Text(kDefaultCurrencySymbol);
    s.Currency_Code = SettingValue::Text(kDefaultCurrencyCode);
    return s;
}

QString currencySymbol(const Settings& s) {
    const QString symbol = s.Currency_Symbol.display();
    return isCurrencySymbol(symbol) ? symbol : kDefaultCurrencySymbol;
}

QString currencyCode(const Settings& s) {
    const QString code = s.Currency_Code.display();
    return isCurrencyCode(code) ? code : kDefaultCurrencyCode;
}

bool isCurrencySymbol(const QString& symbol) {
    if (symbol.isEmpty() || symbol.size() > 4) return false;
    for (const QChar c : symbol)
        if (c.isDigit() || c.isSpace() || QStringLiteral("+-.,\"").contains(c)) return false;
    return true;
}

bool isCurrencyCode(const QString& code) {
    if (code.size() != 3) return false;
    for (const QChar c : code)
        if (c < u'A' || c > u'Z') return false;
    return true;
}

QByteArray settingsFileContent(const Settings& s) {
    QList<Record> lines;
    lines << Record{Field::Text(kHeader)};
    for (const Line& line : kLines) {
        lines << Record{Field::Text(QString::fromLatin1(line.label))};
        lines << Record{(s.*line.member).toField()};
    }
    return recordLines(lines);
}

bool saveSettings(const DataDir& dir, const Settings& s) {
    // Done before it returns: "Save and Exit" ends the program right after.
    return dir.writeNow(files::Settings, settingsFileContent(s));
}

LoadedSettings readSettings(const QByteArray& content, const Settings& before) {
    LoadedSettings loaded{before, 0};
    RecordReader reader(content);
    if (reader.atEnd()) return loaded;
    reader.next();  // the header comment
    for (const Line& line : kLines) {
        if (reader.atEnd()) break;
        reader.next();  // the label
        if (reader.atEnd()) break;
        // A bare number comes back as a number, so that the file keeps its form
        // when it is saved again; everything else is text.
        const QString field = reader.next();
        loaded.values.*line.member = Variant::FromField(field, reader.lastWasQuoted());
        ++loaded.valuesRead;
    }
    return loaded;
}

void selectMainsOption(FieldModel& fields, const QString& option) {
    fields.setChecked(QStringLiteral("Option_120vac"), option == QLatin1String("120"));
    fields.setChecked(QStringLiteral("Option_240vac"), option == QLatin1String("240"));
}

}  // namespace kelvora
