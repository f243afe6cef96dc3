#include "ui/lamp.h"

#include <QPainter>

namespace kelvora {

Lamp::Lamp(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
    setAccessibleName(tr("Connection lamp"));
}

void Lamp::setColor(const QColor& color) {
    if (!color.isValid() || color == color_) return;
    color_ = color;
    update();
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(QPalette::Mid), 1));
    p.setBrush(color_);
    p.drawEllipse(rect().adjusted(2, 2, -2, -2));
}

}  // namespace kelvora
