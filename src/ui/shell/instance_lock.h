// The lock file that decides which start of the program runs: the one that holds an exclusive
// flock on it. The lock goes with the process, so a crash never leaves a stale lock behind.
#pragma once

#include <string>

#include "presenters/instance.h"

namespace qf::ui {

class InstanceLock {
public:
    enum class Outcome {
        Acquired,       // this process is the instance
        HeldByAnother,  // another start holds it: that one is the instance
        Failed,         // the lock file cannot be used (see error())
    };

    // Opens (creating it, mode 0600) and locks the lock file without waiting. In the shared
    // /tmp folder the file is opened without following a link and must be the user's own
    // regular file.
    explicit InstanceLock(const presenters::InstanceNames& names);
    // Release().
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    [[nodiscard]] Outcome outcome() const { return outcome_; }
    [[nodiscard]] bool held() const { return fd_ >= 0 && outcome_ == Outcome::Acquired; }
    [[nodiscard]] const std::string& error() const { return error_; }

    // Removes the lock file and lets the lock go. Idempotent.
    void Release();

private:
    std::string path_;
    int fd_ = -1;
    Outcome outcome_ = Outcome::Failed;
    std::string error_;
};

}  // namespace qf::ui
