#pragma once

#include "sim/simulation.h"

#include <QPointer>
#include <QWidget>

class QTableView;

namespace tovrix {

// Frames over the output-table grid around the cells a play-out executed.
// It lies on top of the grid's viewport as a transparent layer: the grid's
// own drawing, colours and mouse handling stay untouched. Grid row r is
// table line r, grid column c is cell c (column 0 holds the line numbers).
class GridMarks : public QWidget {
    Q_OBJECT

  public:
    explicit GridMarks(QTableView* grid);

    void setMarks(const sim::CellMarks& marks);
    const sim::CellMarks& marks() const { return marks_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void followViewport();

    QPointer<QTableView> grid_;
    sim::CellMarks marks_;
};

}  // namespace tovrix
