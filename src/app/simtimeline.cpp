#include "app/simtimeline.h"

#include "sim/bytetext.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace tovrix {

std::vector<AnalogueStep> analogueSteps(const sim::ReceiverSetup& setup,
                                        const sim::TelegramResult& result, int startSteps) {
    std::vector<AnalogueStep> steps{{0.0, startSteps}};
    if (!result.accepted) {
        return steps;
    }
    const double byteMs = sim::byteTimeMs(sim::outputBaud(setup.conf));
    const double origin = result.bytes.empty()
                              ? result.outputEndMs - result.trailingPauseMs
                              : result.startMs.front() - result.bytes.front().pauseBeforeMs;
    const int resolution = sim::analogueResolution(setup.conf);
    int value = startSteps;
    std::size_t sent = 0;  // bytes sent before the cell at hand
    for (const sim::CellRef& at : result.path) {
        const TabLine& line = setup.cells[at.line];
        const TabCell& cell = line[static_cast<std::size_t>(at.cell - 1)];
        if (cell.flag == kNumberCell || (cell.value >= fcB1 && cell.value <= fcB3)) {
            ++sent;
            continue;
        }
        if (!isAnalogueFunction(cell.value) || at.cell >= kLineCells) {
            continue;
        }
        const int operand = line[static_cast<std::size_t>(at.cell)].value;
        int target = operand;
        if (cell.value == fcUplus) {
            target = value + operand;
        } else if (cell.value == fcUminus) {
            target = value - operand;
        }
        value = std::clamp(target, 0, resolution);
        const std::size_t before = std::min(sent, result.startMs.size());
        const double atMs = before == 0 ? 0.0 : result.startMs[before - 1] + byteMs - origin;
        steps.push_back({std::max(0.0, atMs), value});
    }
    return steps;
}

SimTimeline::SimTimeline(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("SimTimeline"));
    setMinimumHeight(120);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void SimTimeline::clear() {
    boxes_.clear();
    steps_.clear();
    endMs_ = 0;
    accepted_ = false;
    caption_.clear();
    update();
}

void SimTimeline::showResult(const sim::ReceiverSetup& setup, const sim::TelegramResult& result,
                             int startSteps) {
    boxes_.clear();
    accepted_ = result.accepted;
    byteMs_ = sim::byteTimeMs(sim::outputBaud(setup.conf));
    resolution_ = std::max(1, sim::analogueResolution(setup.conf));
    trailingMs_ = result.trailingPauseMs;
    const double origin = result.bytes.empty()
                              ? result.outputEndMs - result.trailingPauseMs
                              : result.startMs.front() - result.bytes.front().pauseBeforeMs;
    for (std::size_t i = 0; i < result.bytes.size(); ++i) {
        boxes_.push_back({result.startMs[i] - origin, double(result.bytes[i].pauseBeforeMs),
                          result.bytes[i].value});
    }
    endMs_ = result.outputEndMs - origin;
    steps_ = analogueSteps(setup, result, startSteps);
    volts_.clear();
    for (const AnalogueStep& step : steps_) {
        volts_.push_back(sim::analogueVolts(setup.conf, step.steps));
    }
    caption_ = result.accepted ? QString() : QString::fromStdString(result.reason);
    update();
}

void SimTimeline::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.base());
    painter.setPen(colours.color(QPalette::Text));
    const QFontMetrics metrics(font());
    if (!accepted_) {
        const QString text = caption_.isEmpty() ? QStringLiteral("kein Telegramm gewählt")
                                                : QStringLiteral("nicht angenommen: ") + caption_;
        painter.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
        return;
    }
    constexpr int kLeft = 46;
    constexpr int kRight = 10;
    const int plotWidth = std::max(10, width() - kLeft - kRight);
    const double span = std::max(endMs_, byteMs_);
    const auto xOf = [&](double ms) { return kLeft + int(std::lround(ms / span * plotWidth)); };
    const int bytesTop = 6;
    const int bytesHeight = 26;
    const int analogueTop = bytesTop + bytesHeight + 10;
    const int axisY = height() - 18;
    const int analogueHeight = std::max(10, axisY - analogueTop - 4);

    // Band labels.
    painter.drawText(QRect(0, bytesTop, kLeft - 4, bytesHeight), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Bytes"));
    painter.drawText(QRect(0, analogueTop, kLeft - 4, analogueHeight),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("Analog"));

    // Pauses hatched, bytes as boxes.
    const QColor pauseColour(160, 160, 160);
    const QColor byteColour(209, 254, 203);
    const QBrush hatch(pauseColour, Qt::BDiagPattern);
    for (const Box& box : boxes_) {
        if (box.pauseMs > 0) {
            const int x0 = xOf(box.startMs - box.pauseMs);
            painter.fillRect(QRect(x0, bytesTop, std::max(1, xOf(box.startMs) - x0), bytesHeight),
                             hatch);
        }
        const int x0 = xOf(box.startMs);
        const int w = std::max(1, xOf(box.startMs + byteMs_) - x0);
        const QRect boxRect(x0, bytesTop, w, bytesHeight);
        painter.fillRect(boxRect, byteColour);
        if (w >= 5) {
            painter.setPen(QColor(0, 0, 128));
            painter.drawRect(boxRect.adjusted(0, 0, -1, -1));
        }
        const QString label = QString::fromStdString(sim::hexByte(box.value)).mid(1);
        if (metrics.horizontalAdvance(label) + 2 <= w) {
            painter.drawText(boxRect, Qt::AlignCenter, label);
        }
    }
    if (trailingMs_ > 0) {
        const int x0 = xOf(endMs_ - trailingMs_);
        painter.fillRect(QRect(x0, bytesTop, std::max(1, xOf(endMs_) - x0), bytesHeight), hatch);
    }

    // The analogue output as a staircase over the whole span.
    painter.setPen(QPen(colours.color(QPalette::Mid), 1, Qt::DotLine));
    painter.drawLine(kLeft, analogueTop, kLeft + plotWidth, analogueTop);
    painter.drawLine(kLeft, analogueTop + analogueHeight, kLeft + plotWidth,
                     analogueTop + analogueHeight);
    const auto yOf = [&](int steps) {
        return analogueTop + analogueHeight -
               int(std::lround(double(std::clamp(steps, 0, resolution_)) / resolution_ *
                               analogueHeight));
    };
    const QPen stairs(QColor(0, 150, 200), 2);
    int labelEnd = 0;  // where the last volts label ends: labels never overlap
    for (std::size_t i = 0; i < steps_.size(); ++i) {
        const int x0 = xOf(steps_[i].atMs);
        const int x1 = i + 1 < steps_.size() ? xOf(steps_[i + 1].atMs) : kLeft + plotWidth;
        const int y = yOf(steps_[i].steps);
        painter.setPen(stairs);
        painter.drawLine(x0, y, x1, y);
        if (i + 1 < steps_.size()) {
            painter.drawLine(x1, y, x1, yOf(steps_[i + 1].steps));
        }
        // The value each step ends at, where the next one leaves room.
        const bool last = i + 1 == steps_.size() || x1 - x0 > 50;
        const QString label = QStringLiteral("%1 V").arg(volts_[i], 0, 'f', 2);
        const int w = metrics.horizontalAdvance(label);
        const int left = std::clamp(x1 - w - 2, kLeft, width() - w);
        if (last && left > labelEnd) {
            painter.setPen(colours.color(QPalette::Text));
            const int top =
                y - metrics.height() - 1 < analogueTop - 8 ? y + 2 : y - metrics.height() - 1;
            painter.drawText(QRect(left, top, w, metrics.height()), Qt::AlignRight, label);
            labelEnd = left + w + 4;
        }
    }

    // Time axis: the start, the middle and the end in ms.
    painter.setPen(colours.color(QPalette::Text));
    painter.drawLine(kLeft, axisY, kLeft + plotWidth, axisY);
    for (const double ms : {0.0, span / 2, span}) {
        const int x = xOf(ms);
        painter.drawLine(x, axisY, x, axisY + 3);
        const QString label = QStringLiteral("%1 ms").arg(ms, 0, 'f', ms < 10 ? 2 : 1);
        const int w = metrics.horizontalAdvance(label);
        const int left = std::clamp(x - w / 2, 0, width() - w);
        painter.drawText(QRect(left, axisY + 3, w, metrics.height()), Qt::AlignCenter, label);
    }
}

}  // namespace tovrix
