// The status line (lblDetalle) is set and painted once per line of a
// rewrite, so its painting is the window's cost per line. This paints the
// label in its place: the same caption, centred and word-wrapped in the
// label's font, without what a QLabel repaint adds around it.
#pragma once

#include <QFont>
#include <QObject>

class QLabel;

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

    QLabel* label_;
    // The label's font, told to place the glyphs one by one: captions are
    // paths and project lines, which need no script shaping, and shaping
    // was most of the cost of a repaint.
    QFont sinModelado_;
    bool fuenteLista_ = false;
};

}  // namespace morvane
