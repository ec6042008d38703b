#include "app/startupreport.h"

#include <QCoreApplication>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

void reportStartupIfAsked(const QWidget* focus, const QString& port, const QString& file) {
    const char* mode = std::getenv("TOVRIX_STARTUP_REPORT");
    if (mode == nullptr) {
        return;
    }
    const QByteArray focusName = focus ? focus->objectName().toUtf8() : QByteArray("none");
    std::printf("idle focus=%s port=%s file=%s peak_rss_kb=%ld\n", focusName.constData(),
                port.toUtf8().constData(), file.toUtf8().constData(), peakResidentKilobytes());
    std::fflush(stdout);
    if (std::strcmp(mode, "quit") == 0) {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
}

}  // namespace tovrix
