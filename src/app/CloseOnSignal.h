#pragma once
// Ends the window's run on SIGTERM, SIGINT or SIGHUP (kill, a session that ends, Ctrl+C in
// the terminal the program was started from) the way closing its windows does, so the
// window's state still reaches the settings file. The signal handler only writes a byte to
// a pipe; the closing runs on the user-interface thread. One instance, made by main() once
// the application object exists; user-interface thread only.

#include <QObject>

class QSocketNotifier;

class TCloseOnSignal : public QObject {
    Q_OBJECT
public:
    TCloseOnSignal();
    // Gives the signals their default actions back.
    ~TCloseOnSignal() override;

private:
    QSocketNotifier* m_notifier = nullptr;
};
