#pragma once
#include <QColor>
#include <QHash>
#include <QObject>
#include <QString>

namespace kelvora {

// The display state of the main window: every field's text, enabled state,
// check state and colour, keyed by the field's objectName ("Text100(7)").
// Logic writes here; the widgets only show it and forward the user's edits.
// A field that was never set shows its design text.
class FieldModel : public QObject {
    Q_OBJECT
public:
    explicit FieldModel(QObject* parent = nullptr);

    QString text(const QString& name) const;
    bool hasText(const QString& name) const { return texts_.contains(name); }
    // Emits textChanged only when the text really changes, as a text box
    // raises its Change event only then.
    void setText(const QString& name, const QString& text);

    bool isEnabled(const QString& name) const;  // true unless disabled
    void setEnabled(const QString& name, bool enabled);

    bool isChecked(const QString& name) const;
    void setChecked(const QString& name, bool checked);

    QColor color(const QString& name) const;  // invalid when never set
    void setColor(const QString& name, const QColor& color);

    // The text a field shows before any value arrives.
    static QString designText(const QString& name);

Q_SIGNALS:
    void textChanged(const QString& name, const QString& text);
    void enabledChanged(const QString& name, bool enabled);
    void checkedChanged(const QString& name, bool checked);
    void colorChanged(const QString& name, const QColor& color);

private:
    QHash<QString, QString> texts_;
    QHash<QString, bool> enabled_;
    QHash<QString, bool> checked_;
    QHash<QString, QColor> colors_;
};

// "Text100" and 7 -> "Text100(7)", the objectName of a control array element.
inline QString arrayName(const char* base, int index) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(base)).arg(index);
}

}  // namespace kelvora
