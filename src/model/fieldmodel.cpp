#include "model/fieldmodel.h"

#include "model/designtexts.h"

namespace kelvora {

FieldModel::FieldModel(QObject* parent) : QObject(parent) {}

QString FieldModel::designText(const QString& name) { return designTexts().value(name); }

QString FieldModel::text(const QString& name) const {
    const auto it = texts_.constFind(name);
    return it != texts_.cend() ? *it : designText(name);
}

void FieldModel::setText(const QString& name, const QString& text) {
    if (this->text(name) == text) return;
    texts_.insert(name, text);
    Q_EMIT textChanged(name, text);
}

bool FieldModel::isEnabled(const QString& name) const { return enabled_.value(name, true); }

void FieldModel::setEnabled(const QString& name, bool enabled) {
    if (isEnabled(name) == enabled) return;
    enabled_.insert(name, enabled);
    Q_EMIT enabledChanged(name, enabled);
}

bool FieldModel::isChecked(const QString& name) const { return checked_.value(name, false); }

void FieldModel::setChecked(const QString& name, bool checked) {
    if (isChecked(name) == checked) return;
    checked_.insert(name, checked);
    Q_EMIT checkedChanged(name, checked);
}

QColor FieldModel::color(const QString& name) const { return colors_.value(name); }

void FieldModel::setColor(const QString& name, const QColor& color) {
    if (this->color(name) == color) return;
    colors_.insert(name, color);
    Q_EMIT colorChanged(name, color);
}

}  // namespace kelvora
