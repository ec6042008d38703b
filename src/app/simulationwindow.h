#pragma once

#include "app/telegramlist.h"
#include "sim/simulation.h"
#include "sim/tablecheck.h"

#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace tovrix {

class GridMarks;
class SimTimeline;
class TFRX;

// The window "Simulation": what the receiver does with the telegrams the
// user lists, offline and from the main window's data as it stands. It
// shows each telegram's verdict, bytes, pauses, times, analogue value, end
// and warnings, draws the output as a time line, frames the executed cells
// in the grid, runs the table check and the sweep over all row values, and
// sends the chosen telegram to the receiver as the radio test telegram,
// comparing what comes back with what the simulation predicted.
class SimulationWindow : public QWidget {
    Q_OBJECT

  public:
    explicit SimulationWindow(TFRX& frx);
    ~SimulationWindow() override;

    // The main window's data changed: simulate again once the event loop
    // runs (a file load changes thousands of cells at once).
    void dataChanged();
    // Simulates at once from the main window's data.
    void refresh();

    const sim::ReceiverSetup& setup() const { return setup_; }
    const std::vector<sim::TelegramResult>& results() const { return results_; }
    int selectedTelegram() const;
    void selectTelegram(int index);
    // The cells the selected telegram's play-out executed.
    sim::CellMarks markedCells() const;

    void runCheck();
    void runSweep();
    // Selects the cell a finding names in the grid, on the table page.
    void showFinding(int row);
    // Sends the selected telegram as the radio test telegram.
    void sendSelected();

    QPlainTextEdit* telegramEdit = nullptr;
    QLabel* telegramError = nullptr;
    QTableWidget* resultList = nullptr;
    SimTimeline* timeline = nullptr;
    QTabWidget* pages = nullptr;
    QPlainTextEdit* detailText = nullptr;
    QTableWidget* byteList = nullptr;
    QPushButton* checkButton = nullptr;
    QLabel* checkSummary = nullptr;
    QTableWidget* findingList = nullptr;
    QPushButton* sweepButton = nullptr;
    QTableWidget* sweepList = nullptr;
    QPushButton* sendButton = nullptr;
    QLabel* sendVerdict = nullptr;
    QTableWidget* compareList = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QWidget* buildOutputPage();
    QWidget* buildCheckPage();
    QWidget* buildSweepPage();
    QWidget* buildSendPage();
    void readSetup();
    void showResults();
    void showSelected();
    void showCheck();
    void showSweep();
    void showComparison();
    void updateSendButton();

    TFRX& frx_;
    GridMarks* marks_ = nullptr;
    QTimer* updateTimer_ = nullptr;
    QTimer* sendStateTimer_ = nullptr;
    sim::ReceiverSetup setup_;
    TelegramList list_;
    std::vector<sim::TelegramResult> results_;
    std::vector<int> startSteps_;  // the analogue value each telegram found
    std::optional<sim::TableCheck> check_;
    bool sweepShown_ = false;
    // The test telegram sent last and the bytes predicted for it.
    std::optional<sim::Payload> sent_;
    std::vector<std::uint8_t> predicted_;
};

}  // namespace tovrix
