#pragma once

#include "table/tablefind.h"
#include "table/tablesheet.h"

#include <QDialog>

#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tovrix {

// "Suchen" on the table page: what to look for (a value, a function or the
// jumps to a line), next and previous place, and the list of all places.
// The dialog only asks and shows; the table editor searches.
class FindDialog : public QDialog {
    Q_OBJECT

  public:
    explicit FindDialog(QWidget* parent);

    // What the fields ask for; none while the text names nothing.
    std::optional<FindQuery> query() const;

    // Fills the list with the places and what their cells show.
    void showPlaces(const std::vector<CellPlace>& places, const TableSheet& sheet);
    // A line under the buttons: how the last search went.
    void showResult(const QString& text);

    QComboBox* kind = nullptr;
    QLineEdit* text = nullptr;
    QPushButton* next = nullptr;
    QPushButton* previous = nullptr;
    QPushButton* all = nullptr;
    QListWidget* places = nullptr;
    QLabel* result = nullptr;

  signals:
    void findRequested(bool forward);
    void listRequested();
    void placeChosen(CellPlace place);

  private:
    std::vector<CellPlace> listed_;
};

// How a place is named to the user: "Zeile 12, D5: GOTO 40".
QString placeDescription(const CellPlace& place, const TableSheet& sheet);

}  // namespace tovrix
