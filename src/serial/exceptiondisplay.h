#pragma once

#include <exception>
#include <functional>

namespace tovrix {

// The process-wide place where an exception that escaped an event handler or
// a worker thread is shown to the user. The program installs a message box;
// without a hook the text goes to standard error. Called on the
// user-interface thread.
using ExceptionDisplay = std::function<void(const std::exception&)>;

// Installs a display and returns the previous one (an empty function restores
// the default).
ExceptionDisplay setExceptionDisplay(ExceptionDisplay display);

// Shows the exception through the installed display. Exceptions that are not
// std::exception are shown with a generic text. Never throws.
void showException(std::exception_ptr error);

}  // namespace tovrix
