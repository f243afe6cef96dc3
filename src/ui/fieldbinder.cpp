#include "ui/fieldbinder.h"

#include "model/designtexts.h"
#include "ui/lamp.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace kelvora {

FieldBinder::FieldBinder(FieldModel& model, QWidget* root) : QObject(root), model_(model) {
    for (QWidget* w : root->findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_"))) bind(w);
    connect(&model_, &FieldModel::textChanged, this, &FieldBinder::showText);
    connect(&model_, &FieldModel::enabledChanged, this, &FieldBinder::showEnabled);
    connect(&model_, &FieldModel::checkedChanged, this, &FieldBinder::showChecked);
    connect(&model_, &FieldModel::colorChanged, this, &FieldBinder::showColor);
}

void FieldBinder::bind(QWidget* w) {
    const QString name = w->objectName();
    widgets_.insert(name, w);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(model_.text(name));
        if (!edit->isReadOnly())
            connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& t) { model_.setText(name, t); });
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        // A label keeps its own caption until the model has a text for it.
        if (designTexts().contains(name) || model_.hasText(name)) label->setText(model_.text(name));
    } else if (auto* radio = qobject_cast<QRadioButton*>(w)) {
        radio->setChecked(model_.isChecked(name));
    }
    if (qobject_cast<QAbstractButton*>(w)) w->setEnabled(model_.isEnabled(name));
    showColor(name, model_.color(name));
}

void FieldBinder::showText(const QString& name, const QString& text) {
    QWidget* w = widgets_.value(name);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != text) edit->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(text);
    }
}

void FieldBinder::showEnabled(const QString& name, bool enabled) {
    if (QWidget* w = widgets_.value(name)) w->setEnabled(enabled);
}

void FieldBinder::showChecked(const QString& name, bool checked) {
    if (auto* b = qobject_cast<QAbstractButton*>(widgets_.value(name))) b->setChecked(checked);
}

void FieldBinder::showColor(const QString& name, const QColor& color) {
    QWidget* w = widgets_.value(name);
    if (!w || !color.isValid()) return;
    if (auto* lamp = qobject_cast<Lamp*>(w)) {
        lamp->setColor(color);
        return;
    }
    // A coloured text box keeps dark text on whatever background it gets.
    w->setStyleSheet(QStringLiteral("background-color: %1; color: black;").arg(color.name()));
}

}  // namespace kelvora
