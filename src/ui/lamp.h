#pragma once
#include <QColor>
#include <QWidget>

namespace kelvora {

// The connection lamp: a filled circle in the colour the model gives it.
class Lamp : public QWidget {
    Q_OBJECT
public:
    explicit Lamp(QWidget* parent = nullptr);
    void setColor(const QColor& color);
    QColor color() const { return color_; }
    QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_ = Qt::lightGray;
};

}  // namespace kelvora
