#include "app/linea_estado.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>

namespace morvane {

void PintorDetalle::instalar(QLabel* label) {
    label->installEventFilter(new PintorDetalle(label));
}

PintorDetalle::PintorDetalle(QLabel* label) : QObject(label), label_(label) {
    // The label paints its whole rectangle itself, so a repaint of it does
    // not first paint the window behind it.
    label_->setAttribute(Qt::WA_OpaquePaintEvent);
}

bool PintorDetalle::eventFilter(QObject* watched, QEvent* event) {
    if (watched != label_) return false;
    if (event->type() == QEvent::FontChange || event->type() == QEvent::Polish) {
        fuenteLista_ = false;
    } else if (event->type() == QEvent::Paint) {
        pintar();
        return true;
    }
    return false;
}

void PintorDetalle::pintar() {
    if (!fuenteLista_) {
        fuenteLista_ = true;
        sinModelado_ = label_->font();
        sinModelado_.setStyleStrategy(
            QFont::StyleStrategy(sinModelado_.styleStrategy() | QFont::PreferNoShaping));
    }
    QPainter painter(label_);
    painter.fillRect(label_->rect(), label_->palette().brush(label_->backgroundRole()));
    painter.setFont(sinModelado_);
    const QString& text = label_->text();
    int flags = static_cast<int>(label_->alignment());
    if (label_->wordWrap()) flags |= Qt::TextWordWrap;
    flags |= text.isRightToLeft() ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight;
    label_->style()->drawItemText(&painter, label_->contentsRect(), flags, label_->palette(),
                                  label_->isEnabled(), text, label_->foregroundRole());
}

}  // namespace morvane
