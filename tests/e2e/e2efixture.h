#pragma once

#include "app/tfrx.h"
#include "common/beep_counter.h"
#include "config/confblock.h"
#include "dialogs/fask.h"
#include "link/statusmessages.h"
#include "receiver/receiverprocess.h"
#include "table/image.h"

#include <QColor>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tovrix::e2e {

using Bytes = std::vector<std::uint8_t>;

// One line of the emulator's log: time, event word and the bytes after it.
struct LogEvent {
    double ms = 0;
    std::string kind;
    Bytes bytes;
};

// What the receiver starts with (its --state file).
struct ReceiverData {
    ConfData conf{};
    TabData image{};
};

// The real main window against its own emulator process on COM1: a fresh
// XDG_CONFIG_HOME (COM2 points at a missing device), a fresh start folder,
// and the emulator's log and state file in there. Port errors the window
// would show in a message box are collected instead. The window has its
// yes/no dialog, as in the program.
class Bench {
  public:
    // Starts the emulator with these options (and --com 1, --log, --state),
    // then the window. With data, the emulator's state file is written first.
    explicit Bench(const QStringList& options, const std::optional<ReceiverData>& data = {});
    ~Bench();
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    bool ready() const { return ready_; }
    TFRX& window() { return *window_; }
    receiver::test::ReceiverProcess& receiver() { return *receiver_; }

    std::vector<LogEvent> log() const;
    // The frames the emulator acted on, in order.
    std::vector<Bytes> frames() const;
    // The emulator's state file as it stands (block and image).
    std::optional<ReceiverData> savedState() const;

    // Shows the window and makes it the active one, as on a desktop, so
    // that the application has a focus widget.
    bool showActive();
    // Points the link of COM n at target, which need not exist.
    bool pointComLink(int n, const QString& target) const;
    // Writes a configuration file with this block and image into the start
    // folder and returns its path (empty when it cannot be written).
    QString writeFile(const QString& name, const ReceiverData& data) const;
    // From now on the window's file dialogs confirm this file at once, as if
    // the user had chosen it; fileDialogs counts the dialogs run.
    void chooseFile(const QString& path);
    int fileDialogs = 0;

    QString infoText() const;
    QColor infoColour() const;
    bool transferControlsEnabled() const;
    QStringList memoLines(const QPlainTextEdit* memo) const;

    QStringList errors;  // texts the window would have shown in a message box
    test::BeepCounter beeps;

  private:
    QTemporaryDir home_;
    QTemporaryDir start_;
    QString previousDirectory_;
    QByteArray previousHome_;
    std::string logPath_;
    std::string statePath_;
    std::unique_ptr<receiver::test::ReceiverProcess> receiver_;
    std::unique_ptr<TFRX> window_;
    std::unique_ptr<TFask> ask_;  // the window's yes/no dialog
    bool ready_ = false;
};

// Runs the window's event loop until done() holds or the time is up; true
// when it holds. Unlike QTRY_*, which sleeps 10 ms between its looks, the
// loop wakes at once for every port event, so a transfer of a thousand
// exchanges runs at the pace the program itself has.
bool waitFor(const std::function<bool()>& done, int timeoutMs);

// Opens the menu and clicks its entry, as a user does: a greyed-out entry
// does nothing (in Qt 6.4, QAction::trigger() runs even a greyed-out one).
// False when the menu does not show the entry.
bool clickMenuEntry(QMenu* menu, QAction* entry);

// The 4096 texts of the window's grid cells, line by line.
QStringList gridTexts(const TFRX& window);

// The samples are made with the emulator's own idea of the checksums and
// the table layout, not with the tool's: the tool has to read and rebuild
// them as its independent peer sees them.
//
// A receiver block with data in every programmed byte and a right checksum.
ConfData sampleBlock(std::uint8_t seed);
// A table image the grid can hold unchanged: number cells with varied
// values in the first lines, every function in line 40, settings in the
// trailer, right checksum.
TabData sampleImage(std::uint8_t seed);
// The 4096 grid texts that show sampleImage(seed), line by line.
QStringList sampleGridTexts(std::uint8_t seed);

// The info line's phase text followed by the watchdog's report.
QString timeoutText(const QString& phase, int count);

// The text of a status message as the info line shows it.
QString msg(StatusMessage message);

// The info line's two verdict colours.
inline const QColor kBlack(0, 0, 0);
inline const QColor kRed(255, 0, 0);

}  // namespace tovrix::e2e
