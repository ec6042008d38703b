#pragma once

#include "sim/simulation.h"

#include <QWidget>

#include <vector>

namespace tovrix {

// One change of the analogue output during a play-out: when, and to what.
struct AnalogueStep {
    double atMs = 0;  // from the start of the output
    int steps = 0;
};

// The analogue changes of a result, found along its path: a Uset, U+ or U-
// takes effect once the bytes before it have left. `startSteps` is the value
// the telegram found.
std::vector<AnalogueStep> analogueSteps(const sim::ReceiverSetup& setup,
                                        const sim::TelegramResult& result, int startSteps);

// A picture of one telegram's output over time: the bytes as boxes (with
// their hex value where there is room), the pauses before them and the
// trailing pause as hatched gaps, and below them the analogue output as a
// staircase in volts.
class SimTimeline : public QWidget {
    Q_OBJECT

  public:
    explicit SimTimeline(QWidget* parent = nullptr);

    // Shows the result of a telegram; `startSteps` is the analogue value
    // before it.
    void showResult(const sim::ReceiverSetup& setup, const sim::TelegramResult& result,
                    int startSteps);
    void clear();

    QSize sizeHint() const override { return {600, 130}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Box {
        double startMs = 0;
        double pauseMs = 0;
        std::uint8_t value = 0;
    };
    std::vector<Box> boxes_;
    std::vector<AnalogueStep> steps_;
    std::vector<double> volts_;  // of each step
    double byteMs_ = 1;
    double endMs_ = 0;
    double trailingMs_ = 0;
    int resolution_ = 1;
    bool accepted_ = false;
    QString caption_;
};

}  // namespace tovrix
