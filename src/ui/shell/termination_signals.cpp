#include "ui/shell/termination_signals.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>

namespace qf::ui {

namespace {

constexpr std::array<int, 2> kSignals = {SIGTERM, SIGINT};

// What the handler may touch: the pipe's write end, and the handlers it replaced.
std::atomic<int> gWriteFd{-1};
std::array<struct sigaction, kSignals.size()> gPrevious{};

extern "C" void OnTerminationSignal(int signal) {
    const int saved = errno;
    const int fd = gWriteFd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signal);
        // Non-blocking: a full pipe already holds a request to end.
        (void)::write(fd, &byte, 1);
    }
    errno = saved;
}

void Fail(QString* error, const char* what) {
    if (error != nullptr) {
        *error = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                              QString::fromLocal8Bit(std::strerror(errno)));
    }
}

}  // namespace

std::unique_ptr<TerminationSignals> TerminationSignals::Install(QString* error) {
    if (gWriteFd.load() >= 0) {
        if (error != nullptr) {
            *error = QStringLiteral("the termination signals are already handled");
        }
        return nullptr;
    }
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        Fail(error, "cannot make the signal pipe");
        return nullptr;
    }
    std::unique_ptr<TerminationSignals> installed(new TerminationSignals(fds[0], fds[1]));
    gWriteFd.store(fds[1]);

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], &action, &gPrevious[i]) != 0) {
            Fail(error, "cannot handle the termination signals");
            for (std::size_t j = 0; j < i; ++j) {
                (void)::sigaction(kSignals[j], &gPrevious[j], nullptr);
            }
            gWriteFd.store(-1);
            return nullptr;  // the destructor closes the pipe
        }
    }
    return installed;
}

TerminationSignals::TerminationSignals(int readFd, int writeFd)
    : readFd_(readFd), writeFd_(writeFd), notifier_(readFd, QSocketNotifier::Read) {
    connect(&notifier_, &QSocketNotifier::activated, this, &TerminationSignals::OnReadable);
}

TerminationSignals::~TerminationSignals() {
    if (gWriteFd.load() == writeFd_) {
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            (void)::sigaction(kSignals[i], &gPrevious[i], nullptr);
        }
        gWriteFd.store(-1);
    }
    notifier_.setEnabled(false);
    ::close(readFd_);
    ::close(writeFd_);
}

void TerminationSignals::OnReadable() {
    unsigned char byte = 0;
    while (::read(readFd_, &byte, 1) == 1) {
        emit terminationRequested(static_cast<int>(byte));
    }
}

}  // namespace qf::ui
