#include "serial/exceptiondisplay.h"

#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <utility>

namespace tovrix {

namespace {

std::mutex& displayMutex() {
    static std::mutex mutex;
    return mutex;
}

ExceptionDisplay& installedDisplay() {
    static ExceptionDisplay display;
    return display;
}

void printToStderr(const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
}

}  // namespace

ExceptionDisplay setExceptionDisplay(ExceptionDisplay display) {
    const std::lock_guard lock(displayMutex());
    return std::exchange(installedDisplay(), std::move(display));
}

void showException(std::exception_ptr error) {
    ExceptionDisplay display;
    {
        const std::lock_guard lock(displayMutex());
        display = installedDisplay();
    }
    if (!display) {
        display = printToStderr;
    }
    try {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& known) {
            display(known);
        } catch (...) {
            display(std::runtime_error("Unknown exception"));
        }
    } catch (...) {
        // A display that fails itself must not take the event loop down.
        std::fprintf(stderr, "exception display failed\n");
    }
}

}  // namespace tovrix
