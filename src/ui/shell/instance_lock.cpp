#include "ui/shell/instance_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace qf::ui {

namespace {

// A start that lost the race for a lock file being removed tries again this often.
constexpr int kOpenAttempts = 5;

std::string Reason(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

}  // namespace

InstanceLock::InstanceLock(const presenters::InstanceNames& names)
    : path_(names.lockFile.string()) {
    int flags = O_RDWR | O_CREAT | O_CLOEXEC;
    if (names.sharedFolder) {
        flags |= O_NOFOLLOW;
    }
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        const int fd = ::open(path_.c_str(), flags, 0600);
        if (fd < 0) {
            error_ = Reason("cannot open the instance lock file " + path_, errno);
            outcome_ = Outcome::Failed;
            return;
        }
        struct stat opened {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) ||
            (names.sharedFolder && opened.st_uid != ::getuid())) {
            ::close(fd);
            error_ = "the instance lock file " + path_ +
                     " is not a regular file of this user; remove it";
            outcome_ = Outcome::Failed;
            return;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) {
                outcome_ = Outcome::HeldByAnother;
                return;
            }
            error_ = Reason("cannot lock the instance lock file " + path_, error);
            outcome_ = Outcome::Failed;
            return;
        }
        // The holder removes the file when it ends: a lock taken on a file that was removed
        // meanwhile locks nothing anybody else opens. Try again on the new file.
        struct stat named {};
        if (::stat(path_.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
            named.st_ino == opened.st_ino) {
            fd_ = fd;
            outcome_ = Outcome::Acquired;
            return;
        }
        ::close(fd);
    }
    error_ = "the instance lock file " + path_ + " keeps being replaced";
    outcome_ = Outcome::Failed;
}

InstanceLock::~InstanceLock() {
    Release();
}

void InstanceLock::Release() {
    if (fd_ < 0) {
        return;
    }
    // Removed while still locked, so that no other start locks the old file after us.
    (void)::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
}

}  // namespace qf::ui
