// SIGTERM and SIGINT end the program through its ordinary ending. The signal handler only
// writes the signal's number into a pipe (nothing else is safe inside a handler); the event
// loop reads it through a socket notifier and emits terminationRequested on the GUI thread.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <memory>

namespace qf::ui {

class TerminationSignals : public QObject {
    Q_OBJECT

public:
    // Installs the handlers. One object at a time per process: a second one fails (null, with
    // a reason), as does a pipe or sigaction that cannot be had.
    static std::unique_ptr<TerminationSignals> Install(QString* error = nullptr);
    // Puts the previous handlers back and closes the pipe.
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

signals:
    // SIGTERM or SIGINT arrived. Emitted once per signal, on the thread that owns the object.
    void terminationRequested(int signal);

private:
    TerminationSignals(int readFd, int writeFd);
    void OnReadable();

    int readFd_;
    int writeFd_;
    QSocketNotifier notifier_;
};

}  // namespace qf::ui
