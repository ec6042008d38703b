#pragma once

#include "cli/portjob.h"

#include <QElapsedTimer>

#include <cstdio>
#include <string>
#include <vector>

namespace tovrix::cli {

// Progress on standard error. On a terminal one line per port, redrawn in
// place at most ten times a second; otherwise plain lines, one when a phase
// begins and one at each quarter of it, for logs.
class ProgressDisplay {
  public:
    ProgressDisplay(std::FILE* out, bool terminal, const std::vector<std::string>& ports);

    void update(std::size_t port, const JobProgress& progress);
    // The port's transfers are over; its line shows the verdict.
    void done(std::size_t port, const std::string& verdict);
    // Draws the lines a last time; nothing is drawn after this.
    void close();

  private:
    struct Line {
        std::string port;
        std::string text;
        std::string phase;
        int quarter = -1;
    };
    void redraw(bool force);
    static std::string describe(const JobProgress& progress);

    std::FILE* out_;
    bool terminal_;
    std::vector<Line> lines_;
    std::size_t width_ = 0;  // of the port names
    bool drawn_ = false;
    bool closed_ = false;
    QElapsedTimer sinceDrawn_;
};

}  // namespace tovrix::cli
