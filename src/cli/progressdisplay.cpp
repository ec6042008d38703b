#include "cli/progressdisplay.h"

#include <algorithm>

namespace tovrix::cli {

namespace {
constexpr qint64 kRedrawMs = 100;
constexpr int kBarWidth = 24;
}  // namespace

ProgressDisplay::ProgressDisplay(std::FILE* out, bool terminal,
                                 const std::vector<std::string>& ports)
    : out_(out), terminal_(terminal) {
    for (const std::string& port : ports) {
        lines_.push_back({port, "waiting", {}, -1});
        width_ = std::max(width_, port.size());
    }
}

std::string ProgressDisplay::describe(const JobProgress& progress) {
    if (progress.total == 0) {
        return progress.phase;
    }
    const int filled = progress.percent * kBarWidth / 100;
    return progress.phase + " [" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "] " +
           std::to_string(progress.done) + "/" + std::to_string(progress.total) + " bytes " +
           std::to_string(progress.percent) + "%";
}

void ProgressDisplay::update(std::size_t port, const JobProgress& progress) {
    if (closed_ || port >= lines_.size()) {
        return;
    }
    Line& line = lines_[port];
    line.text = describe(progress);
    if (terminal_) {
        redraw(false);
        return;
    }
    const int quarter = progress.total == 0 ? 0 : progress.percent / 25;
    if (progress.phase != line.phase || quarter != line.quarter) {
        line.phase = progress.phase;
        line.quarter = quarter;
        std::fprintf(out_, "%s: %s\n", line.port.c_str(), line.text.c_str());
        std::fflush(out_);
    }
}

void ProgressDisplay::done(std::size_t port, const std::string& verdict) {
    if (closed_ || port >= lines_.size()) {
        return;
    }
    lines_[port].text = verdict;
    if (terminal_) {
        redraw(true);
    }
}

void ProgressDisplay::close() {
    if (closed_) {
        return;
    }
    if (terminal_ && drawn_) {
        redraw(true);
    }
    closed_ = true;
}

void ProgressDisplay::redraw(bool force) {
    if (drawn_ && !force && sinceDrawn_.isValid() && sinceDrawn_.elapsed() < kRedrawMs) {
        return;
    }
    std::string text;
    if (drawn_) {
        // Back to the first of the port lines.
        text += "\x1b[" + std::to_string(lines_.size()) + "A";
    }
    for (const Line& line : lines_) {
        std::string name = line.port;
        name.resize(width_, ' ');
        text += "\r\x1b[2K" + name + "  " + line.text + "\n";
    }
    std::fputs(text.c_str(), out_);
    std::fflush(out_);
    drawn_ = true;
    sinceDrawn_.start();
}

}  // namespace tovrix::cli
