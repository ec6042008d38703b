#pragma once

#include "ports/portinfo.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tovrix {

// "Schnittstellen": which device each of COM1..COM4 stands for, the serial
// devices present with their details, and the means to point a COM number at
// one of them, at a typed path, or back at its default. The choice is kept
// only in the COM links; the dialog writes them and says so, and the window
// lists the devices again when assignmentsChanged() comes.
class TSchnittstellen : public QDialog {
    Q_OBJECT

  public:
    explicit TSchnittstellen(QWidget* parent = nullptr);

    // Shows the devices and the COM numbers as they stand now; the selected
    // device stays selected while it is present.
    void showCatalogue(const std::vector<SerialPortInfo>& ports);

    QTableWidget* ComListe = nullptr;      // COM1..COM4: path and device
    QTableWidget* GeraeteListe = nullptr;  // the devices present
    QLabel* Zugriffshinweis = nullptr;     // the remedy for devices without access
    QComboBox* ComWahl = nullptr;          // the COM number to change
    QPushButton* Zuordnen = nullptr;       // the selected device becomes that COM number
    QPushButton* Loesen = nullptr;         // that COM number goes back to its default
    QLineEdit* Pfad = nullptr;             // a device path typed by hand
    QPushButton* PfadZuordnen = nullptr;   // the typed path becomes that COM number
    QLabel* Meldung = nullptr;             // the verdict on the last change
    QPushButton* Schliessen = nullptr;

    void ZuordnenClick();
    void LoesenClick();
    void PfadZuordnenClick();

  signals:
    // A COM link was written or removed.
    void assignmentsChanged();

  private:
    void assign(const std::string& target);
    void showComNumbers();
    void updateButtons();

    std::vector<SerialPortInfo> ports_;
};

}  // namespace tovrix
