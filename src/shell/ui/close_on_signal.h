// SIGTERM and SIGINT (a desktop session logging out, Ctrl+C in a terminal)
// close a window the ordinary way, so its closing work runs: the signal
// handler writes one byte into a pipe, and a socket notifier in the
// user-interface thread reads it and closes the window.
#pragma once

class QWidget;

namespace q3 {

// Installs the handlers for SIGTERM and SIGINT; the window is closed from the
// event loop on the first signal. Returns false when the pipe cannot be made.
bool closeOnTerminationSignals(QWidget* window);

}  // namespace q3
