#pragma once
#include "model/fieldmodel.h"

#include <QHash>
#include <QObject>
#include <QWidget>

namespace kelvora {

// Keeps the widgets under a window in step with the field model, matched by
// objectName: text boxes and labels show the model's text (and edits of an
// editable box go back to the model), buttons its enabled state, option
// buttons its check state, the lamp and coloured boxes its colour. Holds no
// logic of its own.
class FieldBinder : public QObject {
    Q_OBJECT
public:
    FieldBinder(FieldModel& model, QWidget* root);

private:
    void bind(QWidget* widget);
    void showText(const QString& name, const QString& text);
    void showEnabled(const QString& name, bool enabled);
    void showChecked(const QString& name, bool checked);
    void showColor(const QString& name, const QColor& color);

    FieldModel& model_;
    QHash<QString, QWidget*> widgets_;
};

}  // namespace kelvora
