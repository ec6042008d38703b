#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace tovrix {

// Turns SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, a kill,
// Ctrl+C) into a Qt signal on the user-interface thread, so that the
// program can end a transfer properly before it exits. The handler only
// writes the signal's number into a pipe whose other end the event loop
// watches. Each signal is caught once: a second one of the same kind ends
// the program at once, as without this catcher, in case the first could
// not be handled.
class ExitSignals : public QObject {
    Q_OBJECT

  public:
    explicit ExitSignals(QObject* parent = nullptr);
    ~ExitSignals() override;
    ExitSignals(const ExitSignals&) = delete;
    ExitSignals& operator=(const ExitSignals&) = delete;

    // False when the pipe or a handler could not be set up; the signals
    // then keep their default effect.
    bool active() const { return notifier_ != nullptr; }

  signals:
    void caught(int signalNumber);

  private:
    void readPipe();

    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previous_[3] = {};
};

}  // namespace tovrix
