// CPU time of the real main window while it sits idle with its udev monitor
// running, and the cost of one listing of the serial devices.
//
//   ports_idle_bench [SECONDS] [--fake-devices]
//
// The window runs headless (QT_QPA_PLATFORM=offscreen) in a fresh folder
// with its own COM links for SECONDS (default 30) without any input; the
// process's CPU time over that span is set against the wall time. With
// --fake-devices the program restarts under umockdev with four fake serial
// devices, so that the monitor listens even on a machine (or container)
// without udev; after the idle span one more adapter is plugged in and
// pulled out again, and the CPU time of those two refreshes is reported.
#include "app/tfrx.h"
#include "fakedevices.h"
#include "ports/catalogue.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char* argv[]) {
    int seconds = 30;
    bool fake = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fake-devices") == 0) {
            fake = true;
        } else {
            seconds = std::max(1, std::atoi(argv[i]));
        }
    }
    if (fake) {
        tovrix::test::runUnderUmockdev(argv);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());

    std::unique_ptr<tovrix::test::FakeDevices> devices;
    if (fake) {
        devices = std::make_unique<tovrix::test::FakeDevices>();
        devices->addFtdi("ttyUSB0", "A1B2C3", "1-1");
        devices->addCp210x("ttyUSB1", "0001", "1-2");
        devices->addCdcAcm("ttyACM0", "7", "1-3");
        devices->addUart(0);
    }

    // One listing, as every refresh does it.
    constexpr int kListings = 50;
    const auto start = std::chrono::steady_clock::now();
    std::size_t listed = 0;
    for (int i = 0; i < kListings; ++i) {
        listed = tovrix::listSerialPorts().size();
    }
    const double listMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count() /
        kListings;

    tovrix::TFRX window;
    window.inittimerTimer();
    const bool monitoring = window.findChild<QSocketNotifier*>(QStringLiteral("PortNotifier"));

    QTimer::singleShot(seconds * 1000, &application, &QApplication::quit);
    double cpuBefore = cpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    application.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();

    double refreshCpu = -1;
    if (devices) {
        cpuBefore = cpuSeconds();
        const std::string adapter = devices->addFtdi("ttyUSB2", "D4E5F6", "1-4");
        QTimer::singleShot(200, &window, [&] { devices->unplug(adapter); });
        QTimer::singleShot(400, &application, &QApplication::quit);
        application.exec();
        refreshCpu = cpuSeconds() - cpuBefore;
    }

    std::printf("devices listed: %zu, one listing: %.2f ms\n", listed, listMs);
    std::printf("udev monitor: %s\n", monitoring ? "listening" : "not available here");
    std::printf("idle %.1f s: CPU %.3f s = %.3f %%\n", wall, cpu, 100.0 * cpu / wall);
    if (refreshCpu >= 0) {
        std::printf("one adapter plugged in and out (two refreshes): CPU %.1f ms\n",
                    refreshCpu * 1000);
    }
    return 0;
}
