#include "loadscript.h"

#include "common/numeric.h"

#include <QRegularExpression>
#include <algorithm>

namespace kelvora::sim {
namespace {

// A number in the script: the whole word must be one.
std::optional<double> number(const QString& word) {
    static const QRegularExpression plain(QStringLiteral(R"(^\d+(\.\d+)?$)"));
    if (!plain.match(word).hasMatch()) return std::nullopt;
    return numericValue(word);
}

}  // namespace

ParsedScript LoadScript::parse(const QString& text) {
    LoadScript script;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].section(u'#', 0, 0).simplified();
        if (line.isEmpty()) continue;
        const auto fail = [&](const QString& why) {
            return ParsedScript{std::nullopt, QStringLiteral("line %1: %2: \"%3\"").arg(i + 1).arg(why, line)};
        };
        const QStringList w = line.split(u' ');
        const std::optional<double> at = number(w[0]);
        if (!at) return fail(QStringLiteral("a step starts with its time in seconds"));
        if (!script.steps_.isEmpty() && *at < script.steps_.last().at) return fail(QStringLiteral("a step goes back in time"));
        const QString command = w.value(1);
        Step step;
        step.at = *at;
        const auto values = [&](int n) {
            if (w.size() != 2 + n) return false;
            for (int k = 0; k < n; ++k) {
                const std::optional<double> v = number(w[2 + k]);
                if (!v) return false;
                (k == 0 ? step.a : step.b) = *v;
            }
            return true;
        };
        if (command == QLatin1String("amps")) {
            step.what = Step::What::Amps;
            if (!values(2) || step.a > HouseholdLoad::kMaxAmps || step.b > HouseholdLoad::kMaxAmps)
                return fail(QStringLiteral("amps takes two currents from 0 to 200"));
        } else if (command == QLatin1String("volts")) {
            step.what = Step::What::Volts;
            if (!values(1) || step.a < 180 || step.a > 295) return fail(QStringLiteral("volts takes one voltage from 180 to 295"));
        } else if (command == QLatin1String("pause")) {
            step.what = Step::What::Pause;
            if (!values(1) || step.a <= 0) return fail(QStringLiteral("pause takes its length in seconds"));
        } else if (command == QLatin1String("household")) {
            if (!values(0)) return fail(QStringLiteral("household takes no values"));
        } else {
            return fail(QStringLiteral("the commands are amps, volts, pause and household"));
        }
        script.steps_ << step;
    }
    return ParsedScript{script, QString()};
}

void LoadScript::apply(double second, LoadSample& sample) const {
    const Step* volts = nullptr;
    const Step* amps = nullptr;
    for (const Step& s : steps_) {
        if (s.at > second) break;
        if (s.what == Step::What::Amps) amps = &s;
        if (s.what == Step::What::Volts) volts = &s;
        if (s.what == Step::What::Household) volts = amps = nullptr;
    }
    if (volts) sample.volts = volts->a;
    if (amps) {
        // The meter reads no current below a quarter amp.
        sample.ampsA = std::max(amps->a, HouseholdLoad::kMinAmps);
        sample.ampsB = std::max(amps->b, HouseholdLoad::kMinAmps);
    }
}

bool LoadScript::paused(double second) const {
    return std::any_of(steps_.begin(), steps_.end(), [second](const Step& s) {
        return s.what == Step::What::Pause && second >= s.at && second < s.at + s.a;
    });
}

double LoadScript::length() const {
    double end = 0;
    for (const Step& s : steps_) end = std::max(end, s.at + (s.what == Step::What::Pause ? s.a : 0));
    return end;
}

}  // namespace kelvora::sim
