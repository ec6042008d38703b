#pragma once

#include "app/qttranslation.h"
#include "config/confblock.h"
#include "link/statusmessages.h"
#include "ports/portinfo.h"
#include "serial/comport.h"
#include "table/cells.h"
#include "table/gridedit.h"
#include "table/image.h"

#include <QMainWindow>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QStatusBar;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace tovrix {

class ComLinkPort;
class GridDelegate;
class NumericEdit;
class PortMonitor;
class SimulationWindow;
class QtLinkTimer;
class TableEditor;
class TransferSequence;
class WindowLinkView;
class TFask;
class Thelpform;
class TSchnittstellen;

// The main window: two pages (basic settings and output table), the menus,
// the info line and the status bar, plus the service controls of the radio
// test that lie to the right of the visible client area. It owns the
// configuration block, the table model and image, the receiver's system data
// and the serial port for the whole run. Every control is a public member
// named as in the layout, so the transfer and file code (in their own files)
// and the tests reach them directly.
class TFRX : public QMainWindow {
    Q_OBJECT

  public:
    explicit TFRX(QWidget* parent = nullptr);
    ~TFRX() override;

    // The secondary windows are created after the main window; until they
    // are handed over, the start-up step and the help menu skip them.
    void setHelpForm(Thelpform* form) { helpform = form; }
    void setAskForm(TFask* form) { Fask = form; }
    Thelpform* helpform = nullptr;
    TFask* Fask = nullptr;

    // ---- state owned by the window --------------------------------------
    ConfData confdata{};
    std::array<std::uint8_t, 21> sysdata{};
    TabCells tabcells{};
    TabData tabdata{};
    QString language = QStringLiteral("deutsch");
    std::string inipath;  // settings file; fixed at the first creation step
    // File names proposed by the load and save dialogs; the load dialog's is
    // the current file shown in the status bar.
    QString OpenDialogFileName = QStringLiteral("newfile.tvx");
    QString SaveDialogFileName = QStringLiteral("default.tvx");
    TComPort RS232{"RS232"};

    // ---- start-up, menus, shutdown ----------------------------------------
    void FormCreate();
    void inittimerTimer();
    void FormClose();
    void MExitClick();
    void MhilfeClick();
    void MspracheClick();
    void setlanguage();
    void COM11Click();
    void COM21Click();
    void COM31Click();
    void COM41Click();
    void MainMenu1Change();

    // ---- leaving and unsaved edits ------------------------------------------
    // Every edit of the configuration block or of the table is marked through
    // one of these two (the pages' handlers and whatever else edits them);
    // the status bar then shows "geändert", and loading another file or
    // leaving asks whether to save first. A load, a save or a new file
    // clears both marks, a successful read the mark of what it read.
    void markBlockModified();
    void markTableModified();
    void clearModified(bool block, bool table);
    bool modified() const { return blockModified_ || tableModified_; }
    // Asks, when there are unsaved edits, whether to save them before the
    // action the question names; true when the action may go ahead (saved,
    // or the edits discarded).
    bool saveChangesFirst(const QString& action);
    // SIGTERM, SIGHUP or SIGINT arrived: a running transfer ends through its
    // failure path (a programming run with its end command), nothing is
    // asked, the window closes and leftOnSignal reports the exit status.
    void leaveOnSignal(int signalNumber);
    // 128 + the signal's number once a signal has ended the program.
    std::optional<int> signalExitStatus() const { return signalStatus_; }

    // ---- serial devices -------------------------------------------------------
    // The port dialog, made at its first showing.
    void MSchnittstellenClick();
    TSchnittstellen* Schnittstellen = nullptr;
    // Devices came or went, or a COM link changed: probe the ports again,
    // list the devices again and let the COM items show what they stand for.
    void portsChanged();

    // Info line: text and verdict colour (black for progress and success,
    // red for failure).
    void setInfo(const QString& text);
    // The info line's message as a whole, also where the line shows it shortened.
    QString infoText() const { return infoMessage_; }
    void setInfoColour(const QColor& colour);
    void showStatus(StatusMessage message);
    QString statusMessage(StatusMessage message) const;

    // The port number selected in Lsavecom, with anything outside 1..4
    // taken as port 1.
    int selectedPort() const;
    // Status bar panel 0 (port) and 1 (current file).
    QString statusPanelText(int panel) const;

    // Shows an error that ended a handler: the application's standard
    // exception display, a critical message box unless a test replaced it.
    using ErrorDisplay = std::function<void(const QString& text)>;
    void setErrorDisplay(ErrorDisplay display) { errorDisplay_ = std::move(display); }
    void showError(const QString& text);

    // ---- transfers ------------------------------------------------------------
    // Starters (buttons and menu entries), the port's receive event and the
    // two timers; each shows a port error that ends it instead of letting it
    // reach the event loop.
    void LeseButtonClick();
    void ProgButtonClick();
    void Butread64Click();
    void Butwrite64Click();
    void BTeststringClick();
    void BresetClick();
    void RS232RxChar(int count);
    void Timer1Timer();
    void resettimerTimer();
    const TransferSequence& transfers() const { return *transfers_; }

    // ---- configuration file ---------------------------------------------------
    void MSpeichernClick();
    void MLadenClick();
    void MneuClick();
    // Runs a configured file dialog and tells whether the user confirmed a
    // file; by default the dialog's own modal exec(). Tests replace it.
    using FileDialogRunner = std::function<bool(QFileDialog& dialog)>;
    void setFileDialogRunner(FileDialogRunner runner) { fileDialogRunner_ = std::move(runner); }

    // ---- basic-settings page ------------------------------------------------
    void showdata();
    void EB11Exit();
    void EB12Exit();
    void EB21Exit();
    void EB22Exit();
    void EB31Exit();
    void EB32Exit();
    void WDHExit();
    void InitStringExit();
    void BitlaengeExit();
    void PruefanzahlExit();
    void PWMperiodExit();
    void ADoffsetExit();
    void ADgainExit();
    void conditionChange(int condition);  // CB11 .. CB32: 0..5
    void CBhandRTSChange();
    void CBhandCTSChange();
    void CBTXselectChange();
    void BaudClick(std::uint8_t code);
    void CBinitstringClick();
    void CBlockADClick();

    // ---- output-table page --------------------------------------------------
    void setuptable();
    void writecell(int column, int row);
    void TabwerteSetEditText(int column, int row, const QString& text);
    void TabwerteEditDone(int column, int row);
    void TabwerteSelectCell(int column, int row);
    void BselectChange();
    void BselectTyped();
    void Pause1Exit();
    void TestFeldExit();
    // Grid text of a cell in table coordinates: row 0 is the header row,
    // rows 1..256 the table lines, column 0 the line numbers.
    QString gridText(int column, int row) const;
    void setGridText(int column, int row, const QString& text);
    // Index of the row-variable selector's item, -1 while a typed text stands.
    int BselectItemIndex() const;
    // Model to image and back, with the three page fields; Restore64K sets ok
    // to whether the image's checksum matched.
    void Build64K();
    void Restore64K(bool& ok);
    // Selection, clipboard, undo, line moves and find on the table page.
    TableEditor* tableEditor = nullptr;

    // ---- radio test panel ---------------------------------------------------
    void TDExit(int n);  // TD1 .. TD3
    void TD4Exit();
    void THExit(int n, bool high);  // THnH / THnL
    void TDChange();                // any change of TD1 .. TD3

    // ---- simulation window ----------------------------------------------------
    // Opens the window "Simulation", made at its first showing.
    void MSimulationClick();
    SimulationWindow* simulationWindow = nullptr;
    QMenu* MSimulation = nullptr;
    QAction* MSimulationFenster = nullptr;

  signals:
    // The configuration block or the table changed (an edit, a file, a read):
    // what the simulation shows must follow.
    void dataEdited();

  public:
    // ---- controls -----------------------------------------------------------
    QWidget* client = nullptr;          // the fixed 810 x 734 client area
    QScrollArea* clientView = nullptr;  // shows it whole, or scrolls it on a small screen
    QFrame* VersionPanel = nullptr;
    QFrame* FirmwarePanel = nullptr;
    QLabel* VLabel = nullptr;
    QLabel* Version = nullptr;
    QLabel* LFirmware = nullptr;
    QLabel* Firmware = nullptr;
    QLabel* Lsavecom = nullptr;
    QTabWidget* PPage = nullptr;
    QWidget* Pbasic = nullptr;
    QWidget* Pstring = nullptr;
    QLabel* info = nullptr;
    QFrame* GaugePanel = nullptr;
    QProgressBar* Gauge = nullptr;
    QStatusBar* SB1 = nullptr;
    QLabel* SB1Panel0 = nullptr;
    QLabel* SB1Panel1 = nullptr;
    QLabel* SB1Modified = nullptr;  // "geändert" while there are unsaved edits
    QPlainTextEdit* Memo1 = nullptr;
    QTimer* inittimer = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* resettimer = nullptr;

    // menus
    QMenu* MDatei = nullptr;
    QAction* Mneu = nullptr;
    QAction* N3 = nullptr;
    QAction* MLaden = nullptr;
    QAction* MSpeichern = nullptr;
    QAction* N4 = nullptr;
    QAction* Mdruck = nullptr;
    QAction* N1 = nullptr;
    QAction* MExit = nullptr;
    QMenu* MKommunikation = nullptr;
    QAction* MDatensenden = nullptr;
    QAction* MDatenempfangen = nullptr;
    QAction* N5 = nullptr;
    QAction* Mwrite64 = nullptr;
    QAction* Mread64 = nullptr;
    QAction* N6 = nullptr;
    QAction* COM11 = nullptr;
    QAction* COM21 = nullptr;
    QAction* COM31 = nullptr;
    QAction* COM41 = nullptr;
    QActionGroup* COMGroup = nullptr;
    QAction* N7 = nullptr;
    QAction* MSchnittstellen = nullptr;
    QAction* N2 = nullptr;
    QAction* Mhilfe = nullptr;
    QAction* nix1 = nullptr;
    QAction* Msprache = nullptr;

    // basic-settings page
    QComboBox* CBTXselect = nullptr;
    QFrame* BoxStandardsender = nullptr;
    NumericEdit* Bitlaenge = nullptr;
    NumericEdit* Pruefanzahl = nullptr;
    std::array<QComboBox*, 6> conditionOperators{};  // CB11, CB12, CB21, CB22, CB31, CB32
    std::array<NumericEdit*, 6> conditionValues{};   // EB11, EB12, EB21, EB22, EB31, EB32
    NumericEdit* WDH = nullptr;
    QGroupBox* BaudBox = nullptr;
    QRadioButton* Baud1200 = nullptr;
    QRadioButton* Baud2400 = nullptr;
    QRadioButton* Baud4800 = nullptr;
    QRadioButton* Baud9600 = nullptr;
    QRadioButton* Baud19200 = nullptr;
    QComboBox* CBhandRTS = nullptr;
    QComboBox* CBhandCTS = nullptr;
    QCheckBox* CBinitstring = nullptr;
    NumericEdit* InitString = nullptr;
    NumericEdit* PWMperiod = nullptr;
    NumericEdit* ADoffset = nullptr;
    NumericEdit* ADgain = nullptr;
    QCheckBox* CBlockAD = nullptr;
    QPushButton* LeseButton = nullptr;
    QPushButton* ProgButton = nullptr;

    // output-table page
    QTableWidget* Tabwerte = nullptr;
    QComboBox* Bselect = nullptr;
    NumericEdit* Pause1 = nullptr;
    NumericEdit* TestFeld = nullptr;
    QPushButton* Butread64 = nullptr;
    QPushButton* Butwrite64 = nullptr;

    // radio test panel and service memos
    std::array<NumericEdit*, 4> TD{};   // TD1 .. TD4
    std::array<NumericEdit*, 3> THH{};  // TH1H .. TH3H
    std::array<NumericEdit*, 3> THL{};  // TH1L .. TH3L
    QPushButton* BTeststring = nullptr;
    QPlainTextEdit* TM = nullptr;
    QPlainTextEdit* sysmemo = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    friend class TableEditor;
    void buildFrame();
    void fitClientToScreen();
    void buildMenus();
    void buildSimulationMenu(QMenuBar* bar);
    void buildBasicPage();
    void buildConditionBox(QWidget* page);
    void buildAnalogueBox(QWidget* page);
    void buildTablePage();
    void buildLegend(QWidget* page);
    void buildGrid(QWidget* page);
    void buildTestPanel();
    void keepControlsInReach();
    void connectBasicPage();
    void connectTablePage();
    void connectTestPanel();
    void connectTransfers();
    void connectFileMenu();
    template <typename Body>
    void guarded(Body&& body);
    bool runFileDialog(QFileDialog& dialog, QString& chosen);
    void showVerdict(StatusMessage message, bool failure);

    void applySettingsFile();
    void selectPort(int n);
    // Sets the port's number; a failure to reopen an open port is shown in
    // a message box.
    void applyPortNumber(int n);
    bool probePort(int n);
    QAction* portAction(int n) const;
    // Starts listening to udev and lists the devices for the first time.
    void watchPorts();
    void listPorts();
    void showPortItems();
    // The selected COM item is never greyed out, so the user can always
    // come back to it; the port panel's tooltip names its device.
    void markSelectedPort(int n);

    void commitByte(NumericEdit* edit, int index, int minimum, int maximum);
    void commitWord(NumericEdit* edit, int highIndex);
    void normaliseGridCell(int column, int row);
    void TabwerteEditStart(int column, int row);
    void TabwerteEditAbandon(int column, int row);
    void showTestByte(int n, int value);

    // Leaving: the questions, then the end of a running transfer.
    bool mayLeave();
    void endTransferThenClose();
    void closeWhenOutputSent(int triesLeft);
    void showModified();
    void noteBlockEdit(const ConfData& before);

    QString infoMessage_;
    bool blockModified_ = false;
    bool tableModified_ = false;
    bool leaving_ = false;             // decided: the next close goes through
    std::optional<int> signalStatus_;  // the exit status after a signal
    std::optional<TabLine> lineBeforeEdit_;

    GridDelegate* gridDelegate_ = nullptr;
    // The edit of the cell whose editor is open, if any.
    std::optional<CellEdit> cellEdit_;
    bool probing_ = false;

    QtTranslation qtTranslation_;
    ErrorDisplay errorDisplay_;
    FileDialogRunner fileDialogRunner_;
    std::unique_ptr<ComLinkPort> linkPort_;
    std::unique_ptr<QtLinkTimer> watchdogTimer_;
    std::unique_ptr<QtLinkTimer> resetTimer_;
    QTimer* quietTimer_ = nullptr;  // the transfers' wait for a quiet line
    std::unique_ptr<QtLinkTimer> quietLinkTimer_;
    std::unique_ptr<WindowLinkView> linkView_;
    std::unique_ptr<TransferSequence> transfers_;

    // A probe asked for while a transfer ran; it runs at the next look at
    // the Kommunikation menu or the next change of the devices.
    bool probePending_ = false;
    std::unique_ptr<PortMonitor> portMonitor_;
    std::vector<SerialPortInfo> ports_;
};

}  // namespace tovrix
