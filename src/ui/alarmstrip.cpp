#include "ui/alarmstrip.h"

#include "alarm/alarmengine.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace kelvora {

AlarmStrip::AlarmStrip(const AlarmEngine& engine, QWidget* parent) : QFrame(parent), engine_(engine) {
    setObjectName(QStringLiteral("alarmStrip"));
    setAccessibleName(tr("Raised alarms"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0xc6, 0x28, 0x28));
    p.setColor(QPalette::WindowText, Qt::white);
    setPalette(p);
    text_ = new QLabel;
    text_->setObjectName(QStringLiteral("alarmStripText"));
    text_->setWordWrap(true);
    QFont bold = text_->font();
    bold.setBold(true);
    text_->setFont(bold);
    open_ = new QPushButton(tr("Alarms..."));
    open_->setObjectName(QStringLiteral("CMD_AlarmStrip_Open"));
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(10, 6, 10, 6);
    h->addWidget(text_, 1);
    h->addWidget(open_, 0, Qt::AlignTop);
    connect(&engine_, &AlarmEngine::changed, this, &AlarmStrip::refresh);
    refresh();
}

void AlarmStrip::refresh() {
    QStringList lines;
    for (const AlarmEvent& e : engine_.raisedAlarms())
        lines << QStringLiteral("ALARM %1: %2").arg(alarmName(e.kind), e.text);
    text_->setText(lines.join(u'\n'));
    setVisible(!lines.isEmpty());
}

}  // namespace kelvora
