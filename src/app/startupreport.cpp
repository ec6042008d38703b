#include "app/startupreport.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace tovrix {

namespace {

// Peak resident set size in kB as the kernel counts it ("VmHWM").
long peakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

}  // namespace

void reportStartupAndQuitIfAsked() {
    if (std::getenv("TOVRIX_STARTUP_REPORT") == nullptr) {
        return;
    }
    std::printf("idle peak_rss_kb=%ld\n", peakResidentKilobytes());
    std::fflush(stdout);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

}  // namespace tovrix
