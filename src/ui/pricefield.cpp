#include "ui/pricefield.h"

#include "energy/priceentry.h"
#include "model/datafiles.h"

#include <QEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace kelvora {

PriceField::PriceField(SharedState& shared, FieldModel& fields, const DataDir& dir, QLineEdit* field, Ask ask,
                       OpenEditor openEditor)
    : QObject(field), shared_(shared), fields_(fields), dir_(dir), field_(field), ask_(std::move(ask)),
      openEditor_(std::move(openEditor)) {
    field_->installEventFilter(this);
    field_->setCursor(Qt::PointingHandCursor);
    field_->setToolTip(field_->toolTip() + tr(" (click to change)"));
    // With a tariff in force the field shows its price now; the tip names the band.
    const QString flatTip = field_->toolTip();
    connect(&fields_, &FieldModel::textChanged, this, [this, flatTip](const QString& name, const QString& text) {
        if (name == QLatin1String("tariffBand")) field_->setToolTip(text.isEmpty() ? flatTip : text);
    });
}

QString PriceField::askPrice(QWidget* parent, const QString& current) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(parent, tr("Kelvora"), kPricePrompt, QLineEdit::Normal, current, &ok);
    return ok ? answer : QString();
}

void PriceField::Text100_Click() {
    if (openEditor_ && dir_.exists(files::Tariffs)) {
        openEditor_();
        return;
    }
    beginPriceEntry(fields_);
    const QString answer = ask_(field_->window(), field_->text());
    endPriceEntry(answer, shared_, fields_, dir_);
}

bool PriceField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_) {
        const bool clicked = event->type() == QEvent::MouseButtonRelease &&
                             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        const bool entered = event->type() == QEvent::KeyPress &&
                             (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                              static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter);
        if (clicked || entered) {
            Text100_Click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kelvora
