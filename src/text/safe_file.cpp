#include "text/safe_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string_view>

namespace qf::text {

namespace {

namespace fs = std::filesystem;

// As many symbolic links as the system itself follows before it gives up with ELOOP.
constexpr int kMaxLinkHops = 40;
constexpr std::string_view kTempMarker = ".tmp-";
constexpr std::size_t kTempRandomDigits = 8;

bool Allowed(const WriteFaults* faults, WriteStep step) {
    return faults == nullptr || !faults->beforeStep || faults->beforeStep(step);
}

void SetError(std::string* error, const std::string& what, int err) {
    if (error != nullptr) {
        *error = err != 0 ? what + ": " + std::strerror(err) : what;
    }
}

int Refuse(std::string* error, const std::string& what, int err = 0) {
    SetError(error, what, err);
    return 0;
}

std::string Quoted(const fs::path& path) {
    return "\"" + path.string() + "\"";
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISFIFO(mode)) {
        return "a named pipe (FIFO)";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "not a regular file";
}

// The path a write to `path` lands on: `path` with the symbolic links of its last component
// followed, each relative link read from the folder of the link. The result need not exist (a
// link may name a file still to be created). 0 on a loop or a link that cannot be read.
int FollowLinks(const fs::path& path, fs::path& out, std::string* error) {
    fs::path at = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            out = at;
            return 1;
        }
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(at.c_str(), buffer, sizeof buffer);
        if (n < 0) {
            return Refuse(error, "cannot read the link " + Quoted(at), errno);
        }
        if (static_cast<std::size_t>(n) >= sizeof buffer) {
            return Refuse(error, "cannot read the link " + Quoted(at), ENAMETOOLONG);
        }
        const fs::path next(std::string(buffer, static_cast<std::size_t>(n)));
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return Refuse(error, "cannot write " + Quoted(path), ELOOP);
}

fs::path FolderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// What a write replaces.
struct Target {
    fs::path path;  // the file renamed over: the path asked for, its links followed
    bool exists = false;
    struct stat status {};  // the file's status, when it exists
};

int InspectTarget(const fs::path& path, Target& target, std::string* error) {
    target = Target{};
    if (path.empty()) {
        return Refuse(error, "cannot write a file without a name");
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) {
            return Refuse(error, "cannot write " + Quoted(path) + ": it is " + KindOf(st.st_mode) +
                                     ", not a regular file");
        }
        // Root passes every access check: a file nobody may write stays write-protected all
        // the same.
        if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            return Refuse(error, "cannot write " + Quoted(path) + ": it is write-protected");
        }
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
            return Refuse(error, "cannot write " + Quoted(path), errno);
        }
        if (FollowLinks(path, target.path, error) != 1) {
            return 0;
        }
        // The links followed by hand must reach the file the system reached: a link into
        // /proc naming a pipe or a deleted file does not, and is not replaced.
        struct stat reached {};
        if (::lstat(target.path.c_str(), &reached) != 0 || reached.st_dev != st.st_dev ||
            reached.st_ino != st.st_ino) {
            return Refuse(error, "cannot write " + Quoted(path) +
                                     ": the file its link names cannot be replaced");
        }
        target.exists = true;
        target.status = st;
        return 1;
    }
    const int err = errno;
    if (err != ENOENT) {
        return Refuse(error, "cannot write " + Quoted(path), err);
    }
    // A new file, or a link naming a file still to be created.
    if (FollowLinks(path, target.path, error) != 1) {
        return 0;
    }
    const fs::path folder = FolderOf(target.path);
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) != 0) {
        if (errno == ENOENT) {
            return Refuse(error, "cannot write " + Quoted(path) + ": the folder " + Quoted(folder) +
                                     " does not exist");
        }
        return Refuse(error, "cannot write in the folder " + Quoted(folder), errno);
    }
    if (!S_ISDIR(dir.st_mode)) {
        return Refuse(error,
                      "cannot write " + Quoted(path) + ": " + Quoted(folder) + " is not a folder");
    }
    return 1;
}

fs::path TempPathFor(const fs::path& target) {
    std::random_device rd;
    char suffix[48];
    std::snprintf(suffix, sizeof suffix, "%.*s%ld-%0*x", static_cast<int>(kTempMarker.size()),
                  kTempMarker.data(), static_cast<long>(::getpid()),
                  static_cast<int>(kTempRandomDigits), static_cast<unsigned>(rd()));
    fs::path temp = target;
    temp += suffix;
    return temp;
}

// The temporary file takes the target's permission bits, and its owner and group when the
// program runs as root (only root may give a file away). Nothing is changed that already
// matches, so a file system without real permissions (FAT) is not asked to change them.
int KeepAttributes(int fd, const struct stat& target, std::string* error) {
    struct stat temp {};
    if (::fstat(fd, &temp) != 0) {
        return Refuse(error, "cannot read the temporary file's status", errno);
    }
    bool chowned = false;
    if (::geteuid() == 0 && (temp.st_uid != target.st_uid || temp.st_gid != target.st_gid)) {
        if (::fchown(fd, target.st_uid, target.st_gid) != 0) {
            return Refuse(error, "cannot give the new file the owner of the old one", errno);
        }
        chowned = true;  // which may have cleared set-user and set-group bits
    }
    const mode_t mode = target.st_mode & 07777;
    if (chowned || (temp.st_mode & 07777) != mode) {
        if (::fchmod(fd, mode) != 0) {
            return Refuse(error, "cannot give the new file the permissions of the old one", errno);
        }
    }
    return 1;
}

// The process id of a temporary file name `<stem>.tmp-<pid>-<8 hex digits>`, and its stem.
std::optional<pid_t> TempFileProcess(std::string_view name, std::string_view& stem) {
    const std::size_t marker = name.rfind(kTempMarker);
    if (marker == std::string_view::npos || marker == 0) {
        return std::nullopt;
    }
    const std::string_view rest = name.substr(marker + kTempMarker.size());
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos || dash == 0 ||
        rest.size() - dash - 1 != kTempRandomDigits) {
        return std::nullopt;
    }
    long long pid = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + dash, pid);
    if (ec != std::errc() || end != rest.data() + dash || pid <= 0 || pid > INT_MAX) {
        return std::nullopt;
    }
    for (const char c : rest.substr(dash + 1)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return std::nullopt;
        }
    }
    stem = name.substr(0, marker);
    return static_cast<pid_t>(pid);
}

// A process we may not signal still runs; only "no such process" means it has ended.
bool ProcessRuns(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno != ESRCH;
}

std::size_t RemoveLeftovers(const fs::path& folder, const std::string* onlyStem) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return 0;
    }
    std::size_t removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        std::string_view stem;
        const auto pid = TempFileProcess(name, stem);
        if (!pid || (onlyStem != nullptr && stem != *onlyStem) || ProcessRuns(*pid)) {
            continue;
        }
        const fs::path file = folder / std::string(name);
        struct stat st {};
        if (::lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(file.c_str()) == 0) {
            ++removed;
        }
    }
    ::closedir(dir);
    return removed;
}

}  // namespace

int CheckWritableTarget(const fs::path& path, std::string* error) {
    Target target;
    return InspectTarget(path, target, error);
}

int WriteFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes,
                        const WriteFaults* faults, std::string* error, bool flush) {
    Target target;
    if (InspectTarget(path, target, error) != 1) {
        return 0;
    }
    const fs::path temp = TempPathFor(target.path);
    const std::string creating = "cannot create a temporary file in " + Quoted(FolderOf(temp));
    if (!Allowed(faults, WriteStep::CreateTemp)) {
        SetError(error, creating, EIO);
        return 0;
    }
    // An existing file's permissions come with KeepAttributes; until then nobody else reads
    // the new content.
    const mode_t createMode = target.exists ? 0600 : 0644;
    const int fd =
        ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, createMode);
    if (fd < 0) {
        SetError(error, creating, errno);
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
    if (target.exists) {
        std::string why;
        if (KeepAttributes(fd, target.status, &why) != 1) {
            return fail("cannot replace " + Quoted(path) + ": " + why, 0, true);
        }
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
    if (!Allowed(faults, WriteStep::Rename)) {
        return fail("cannot replace " + Quoted(path), EIO, false);
    }
    if (::rename(temp.c_str(), target.path.c_str()) != 0) {
        return fail("cannot replace " + Quoted(path), errno, false);
    }
    return 1;
}

std::size_t RemoveStaleTempFiles(const fs::path& folder) {
    return RemoveLeftovers(folder, nullptr);
}

std::size_t RemoveStaleTempFilesOf(const fs::path& target) {
    fs::path reached;
    if (FollowLinks(target, reached, nullptr) != 1 || !reached.has_filename()) {
        return 0;
    }
    const std::string stem = reached.filename().string();
    return RemoveLeftovers(FolderOf(reached), &stem);
}

int ReadWholeFile(const fs::path& path, std::vector<std::uint8_t>& out, std::size_t maxSize,
                  std::string* error) {
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
