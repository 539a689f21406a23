#pragma once
// Ends the window's run on SIGTERM, SIGINT or SIGHUP (kill, a session that ends, Ctrl+C in
// the terminal the program was started from) the way closing its windows does, so the
// window's state still reaches the settings file. Made by main() before the application
// object: from then on the signals are held back, and Start, once the window is shown,
// lets them in. The signal handler only writes a byte to a pipe; the closing runs on the
// user-interface thread.

class TCloseOnSignal {
public:
    TCloseOnSignal();
    // Gives the signals their default actions back.
    ~TCloseOnSignal();
    TCloseOnSignal(const TCloseOnSignal&) = delete;
    TCloseOnSignal& operator=(const TCloseOnSignal&) = delete;

    // Closes every window of the application on the first of the signals, also one that
    // came before this call. Needs the application object, which owns the watch.
    void Start();
};
