#include "model/designtexts.h"

namespace kelvora {

const QHash<QString, QString>& designTexts() {
    static const QHash<QString, QString> texts = {
        {QStringLiteral("Text100(0)"), QStringLiteral("AMPS")},
        {QStringLiteral("Text100(1)"), QStringLiteral("Cur KW")},
        {QStringLiteral("Text100(2)"), QStringLiteral("AC Volt")},
        {QStringLiteral("Text100(3)"), QStringLiteral("A Amps")},
        {QStringLiteral("Text100(4)"), QStringLiteral("B Amps")},
        {QStringLiteral("Text100(5)"), QStringLiteral("000.00")},
        {QStringLiteral("Text100(6)"), QStringLiteral("KWH Calc")},
        {QStringLiteral("Text100(7)"), QStringLiteral("0.0585")},
        {QStringLiteral("Text100(8)"), QStringLiteral("DAVG")},
        {QStringLiteral("Text100(9)"), QStringLiteral("####")},
        {QStringLiteral("Text100(10)"), QStringLiteral("####")},
        {QStringLiteral("Text100(11)"), QStringLiteral("###.#")},
        {QStringLiteral("Text100(12)"), QStringLiteral("$DAVG")},
        {QStringLiteral("Text100(13)"), QStringLiteral("HAVG")},
        {QStringLiteral("Text100(14)"), QStringLiteral("$HAVG")},
        {QStringLiteral("Text100(15)"), QStringLiteral("AC Volt")},
        {QStringLiteral("Text100_A_CAL"), QStringLiteral("A Amps")},
        {QStringLiteral("Text100_B_CAL"), QStringLiteral("B Amps")},
        {QStringLiteral("Text101"), QStringLiteral("Connection Status")},
        {QStringLiteral("Label4"), QStringLiteral("0")},
        {QStringLiteral("Label5"), QStringLiteral("0")},
        {QStringLiteral("Label6"), QStringLiteral("TimeStamp")},
        {QStringLiteral("Label7"), QStringLiteral("TimeStamp")},
        {QStringLiteral("Label8"), QStringLiteral("0")},
        {QStringLiteral("Label9"), QStringLiteral("0")},
        {QStringLiteral("Label15"), QString()},
        {QStringLiteral("Label16"), QString()},
        {QStringLiteral("Label40(0)"), QStringLiteral("PF Hi")},
        {QStringLiteral("Label40(1)"), QStringLiteral("PF Lo")},
        {QStringLiteral("Label40(2)"), QStringLiteral("Samples")},
        {QStringLiteral("Text5(0)"), QString()},
        {QStringLiteral("Text5(1)"), QStringLiteral("5000")},
        {QStringLiteral("Text6(0)"), QStringLiteral("240.0")},
        {QStringLiteral("Text_A_Cal"), QStringLiteral("100.0")},
        {QStringLiteral("Text_B_Cal"), QStringLiteral("100.0")},
        {QStringLiteral("Text1(0)"), QString()},
        {QStringLiteral("Text1(1)"), QString()},
        {QStringLiteral("Text1(2)"), QStringLiteral("Monthly")},
        {QStringLiteral("Text1(3)"), QStringLiteral("Daily")},
        {QStringLiteral("Text1(4)"), QStringLiteral("Hourly")},
    };
    return texts;
}

}  // namespace kelvora
