#include "text/safe_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace qf::text {

namespace {

bool Allowed(const WriteFaults* faults, WriteStep step) {
    return faults == nullptr || !faults->beforeStep || faults->beforeStep(step);
}

void SetError(std::string* error, const std::string& what, int err) {
    if (error != nullptr) {
        *error = err != 0 ? what + ": " + std::strerror(err) : what;
    }
}

std::filesystem::path TempPathFor(const std::filesystem::path& path) {
    std::random_device rd;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".tmp-%08x", static_cast<unsigned>(rd()));
    std::filesystem::path temp = path;
    temp += suffix;
    return temp;
}

}  // namespace

int WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                        const WriteFaults* faults, std::string* error, bool flush) {
    const std::filesystem::path temp = TempPathFor(path);
    if (!Allowed(faults, WriteStep::CreateTemp)) {
        SetError(error, "cannot create " + temp.string(), EIO);
        return 0;
    }
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        SetError(error, "cannot create " + temp.string(), errno);
        return 0;
    }
    auto fail = [&](const std::string& what, int err, bool closeFd) {
        if (closeFd) {
            ::close(fd);
        }
        ::unlink(temp.c_str());
        SetError(error, what, err);
        return 0;
    };

    if (!Allowed(faults, WriteStep::Write)) {
        return fail("cannot write " + temp.string(), EIO, true);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail("cannot write " + temp.string(), errno, true);
        }
        done += static_cast<std::size_t>(n);
    }
    if (!Allowed(faults, WriteStep::Flush) || (flush && ::fsync(fd) != 0)) {
        return fail("cannot flush " + temp.string(), errno != 0 ? errno : EIO, true);
    }
    if (!Allowed(faults, WriteStep::Close)) {
        return fail("cannot close " + temp.string(), EIO, true);
    }
    if (::close(fd) != 0) {
        return fail("cannot close " + temp.string(), errno, false);
    }
    if (!Allowed(faults, WriteStep::Rename) || std::rename(temp.c_str(), path.c_str()) != 0) {
        return fail("cannot replace " + path.string(), errno != 0 ? errno : EIO, false);
    }
    return 1;
}

int ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& out,
                  std::size_t maxSize, std::string* error) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetError(error, "cannot open " + path.string(), errno);
        return 0;
    }
    std::vector<std::uint8_t> data;
    std::uint8_t chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int err = errno;
            ::close(fd);
            SetError(error, "cannot read " + path.string(), err);
            return 0;
        }
        if (n == 0) {
            break;
        }
        if (data.size() + static_cast<std::size_t>(n) > maxSize) {
            ::close(fd);
            SetError(error, path.string() + " is larger than " + std::to_string(maxSize) + " bytes",
                     0);
            return 0;
        }
        data.insert(data.end(), chunk, chunk + n);
    }
    ::close(fd);
    out = std::move(data);
    return 1;
}

}  // namespace qf::text
