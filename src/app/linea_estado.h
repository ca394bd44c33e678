// The status line (lblDetalle) is set and painted once per line of a
// rewrite, so its painting is the window's cost per line. This paints the
// label in its place: the same caption, centred and word-wrapped in the
// label's font, without what a QLabel repaint adds around it.
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QRawFont>

class QLabel;
class QPainter;

namespace morvane {

class PintorDetalle : public QObject {
  public:
    // Paints `label` from now on; owned by the label.
    static void instalar(QLabel* label);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    explicit PintorDetalle(QLabel* label);
    void pintar();
    void prepararFuente();
    // A caption that fits on one line with room to spare, in characters the
    // font has, is drawn from its glyphs directly: no line breaking, no text
    // layout. Returns false for any other caption.
    bool pintarEnUnaLinea(QPainter& painter, const QString& text);

    QLabel* label_;
    // The label's font, told to place the glyphs one by one: captions are
    // paths and project lines, which need no script shaping, and shaping
    // was most of the cost of a repaint.
    QFont sinModelado_;
    QRawFont glifos_;  // the same font's glyphs and advances
    bool fuenteLista_ = false;
    // Reused from one caption to the next.
    QList<quint32> indices_;
    QList<QPointF> avances_;
    QGlyphRun corrida_;
};

}  // namespace morvane
