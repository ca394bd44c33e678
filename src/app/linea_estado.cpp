#include "app/linea_estado.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QStyle>

namespace morvane {

namespace {

// Characters drawn one glyph each, left to right, with no shaping in any
// font: printable ASCII and the printable Latin-1 letters and signs. The soft
// hyphen is left out (the layout hides or shows it by where the line breaks).
bool enUnaCeldaCadaUno(const QString& text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7f) continue;
        if (u >= 0xa0 && u <= 0xff && u != 0xad) continue;
        return false;
    }
    return true;
}

// Positions as the text layout keeps them: in whole 64ths of a pixel,
// truncated.
qreal alSesentaycuatroavo(qreal v) {
    return static_cast<qreal>(static_cast<int>(v * 64.0)) / 64.0;
}

}  // namespace

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

void PintorDetalle::prepararFuente() {
    fuenteLista_ = true;
    sinModelado_ = label_->font();
    sinModelado_.setStyleStrategy(
        QFont::StyleStrategy(sinModelado_.styleStrategy() | QFont::PreferNoShaping));
    // The glyphs and advances are the same whether or not shaping is
    // preferred; the label's own font has them loaded already.
    glifos_ = QRawFont::fromFont(label_->font());
    corrida_ = QGlyphRun();
    corrida_.setRawFont(glifos_);
}

void PintorDetalle::pintar() {
    if (!fuenteLista_) prepararFuente();
    QPainter painter(label_);
    painter.fillRect(label_->rect(), label_->palette().brush(label_->backgroundRole()));
    const QString& text = label_->text();
    if (text.isEmpty() || pintarEnUnaLinea(painter, text)) return;
    painter.setFont(sinModelado_);
    int flags = static_cast<int>(label_->alignment());
    if (label_->wordWrap()) flags |= Qt::TextWordWrap;
    flags |= text.isRightToLeft() ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight;
    label_->style()->drawItemText(&painter, label_->contentsRect(), flags, label_->palette(),
                                  label_->isEnabled(), text, label_->foregroundRole());
}

bool PintorDetalle::pintarEnUnaLinea(QPainter& painter, const QString& text) {
    if (!glifos_.isValid() || !label_->isEnabled() || label_->alignment() != Qt::AlignCenter ||
        text.size() > 1000 || !enUnaCeldaCadaUno(text))
        return false;
    const QRect r = label_->contentsRect();
    int n = static_cast<int>(text.size());
    indices_.resize(n);
    if (!glifos_.glyphIndexesForChars(text.constData(), n, indices_.data(), &n) || n != text.size())
        return false;
    for (const quint32 g : indices_) {
        if (g == 0) return false;  // not in this font: the layout would find another
    }
    avances_.resize(n);
    if (!glifos_.advancesForGlyphIndexes(indices_.constData(), avances_.data(), n)) return false;

    // Pen positions along the line; the line is centred on its whole
    // advance, spaces at either end included, as the layout centres it.
    qreal x = 0;
    for (int i = 0; i < n; ++i) {
        const QPointF paso = avances_[i];
        avances_[i] = QPointF(x, 0);
        x += paso.x();
    }
    const qreal avance = x;
    // Wider than the line with less than two ems to spare, or taller than the
    // label: left to the layout, which knows where such lines break.
    const qreal alto = glifos_.ascent() + glifos_.descent();
    if (x + 2 * glifos_.pixelSize() >= r.width() || alto > r.height()) return false;

    // The line's top-left corner as the layout places a single centred line.
    const qreal izquierda = alSesentaycuatroavo(r.x() + (r.width() - avance) / 2);
    const qreal arriba = alSesentaycuatroavo(r.y() + (r.height() - alto) / 2);
    corrida_.setGlyphIndexes(indices_);
    corrida_.setPositions(avances_);
    painter.setPen(QPen(label_->palette().brush(label_->foregroundRole()), painter.pen().widthF()));
    painter.drawGlyphRun(QPointF(izquierda, arriba + glifos_.ascent()), corrida_);
    return true;
}

}  // namespace morvane
