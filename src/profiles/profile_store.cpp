#include "profiles/profile_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>

namespace qf::profiles {

namespace fs = std::filesystem;

// ---- Locks ----

void OwnedLock::lock() {
    mutex_.lock();
    if (depth_++ == 0) {
        owner_.store(std::this_thread::get_id());
    }
}

void OwnedLock::unlock() {
    if (--depth_ == 0) {
        owner_.store(std::thread::id{});
    }
    mutex_.unlock();
}

ProfileStore::ProfileStore() {
    contents_.mainBlock = NewMainBlock(0);
}

ProfileStore::Access ProfileStore::Lock() {
    if (staging_.HeldByThisThread() && !lock_.HeldByThisThread()) {
        // Waiting for the store while holding the staging lock can deadlock against a thread
        // that holds the store and waits for staging.
        std::fputs("quillfen: profile store locked while holding the staging lock\n", stderr);
        std::abort();
    }
    return Access(*this, lock_, contents_);
}

// ---- Paths ----

fs::path ProfileFolder(const fs::path& documentsFolder) {
    return documentsFolder / kProfileFolderName;
}

int EnsureProfileFolder(const fs::path& profileFolder) {
    std::error_code ec;
    fs::create_directories(profileFolder, ec);
    return fs::is_directory(profileFolder, ec) ? 1 : 0;
}

fs::path ProfileCachePath(const fs::path& profileFolder, int /*index*/) {
    // One cache file holds all profiles, whatever profile asks for it.
    char name[32];
    std::snprintf(name, sizeof name, kProfileCacheNameFormat, kProfileCacheNumber);
    return profileFolder / name;
}

// ---- Files ----

namespace {

// Reads a whole profile file opened for reading only, into a buffer of the file's size. 1, 0
// (missing, or outside the size range), -2 (cannot be opened or read), -3 (no memory).
int ReadProfileBytes(const fs::path& path, std::vector<std::uint8_t>& bytes, std::string* error) {
    auto fail = [&](int result, const std::string& what) {
        if (error != nullptr) {
            *error = what;
        }
        return result;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT || err == ENOTDIR) {
            return fail(0, "no file " + path.string());
        }
        return fail(-2, "cannot open " + path.string() + ": " + std::strerror(err));
    }
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return fail(-2, "cannot read " + path.string() + ": " + std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        return fail(-2, path.string() + " is not a file");
    }
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size < kMainBlockSize || size > kMaxFileSize) {
        return fail(0, path.string() + " is not the size of a profile file");
    }
    try {
        bytes.assign(static_cast<std::size_t>(size), 0);
    } catch (const std::bad_alloc&) {
        return fail(-3, "out of memory for " + path.string());
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return fail(-2, "cannot read " + path.string() + ": " + std::strerror(errno));
        }
        if (n == 0) {
            break;  // the file shrank while it was read: judge the bytes it had
        }
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return 1;
}

int WriteBytes(const fs::path& path, ByteSpan bytes, const SaveOptions& options,
               std::string* error) {
    return text::WriteFileAtomically(path, bytes, options.faults, error, options.flush);
}

}  // namespace

Validation ValidateProfileFile(const fs::path& path) {
    std::vector<std::uint8_t> bytes;
    Validation v;
    v.result = ReadProfileBytes(path, bytes, &v.reason);
    if (v.result != 1) {
        return v;
    }
    return ValidateProfileBytes(bytes);
}

int ReadProfileFile(const fs::path& path, StoreContents& out, LoadReport* report) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (ReadProfileBytes(path, bytes, &error) != 1) {
        if (report != nullptr) {
            *report = LoadReport{};
            report->reason = error;
        }
        return 0;
    }
    try {
        return ParseProfileFile(bytes, out, report);
    } catch (const std::bad_alloc&) {
        if (report != nullptr) {
            report->reason = "out of memory";
        }
        return 0;
    }
}

int WriteProfileFile(const fs::path& path, StoreContents& contents, const SaveOptions& options,
                     std::string* error) {
    std::vector<std::uint8_t> bytes;
    try {
        if (BuildProfileFile(contents, bytes) != 1) {
            if (error != nullptr) {
                *error = "the profile has no main block or more than 100 macros";
            }
            return 0;
        }
    } catch (const std::bad_alloc&) {
        if (error != nullptr) {
            *error = "out of memory";
        }
        return 0;
    }
    return WriteBytes(path, bytes, options, error);
}

int WriteBlankProfileFile(const fs::path& path, std::uint8_t flag, const SaveOptions& options,
                          std::string* error) {
    const std::vector<std::uint8_t> block = NewMainBlock(flag);
    return WriteBytes(path, block, options, error);
}

// ---- The store ----

void FreeStoreContents(ProfileStore::Access& store) {
    store->FreeContents();
}

void InstallBlankMainBlock(ProfileStore::Access& store, std::uint8_t flag) {
    store->mainBlock = NewMainBlock(flag);
}

int LoadProfileFile(ProfileStore::Access& store, const fs::path& path, LoadReport* report) {
    StoreContents loaded;
    if (ReadProfileFile(path, loaded, report) != 1) {
        return 0;
    }
    *store = std::move(loaded);
    return 1;
}

int LoadProfileFile(ProfileStore& store, const fs::path& path, LoadReport* report) {
    auto access = store.Lock();
    return LoadProfileFile(access, path, report);
}

int SaveProfileFile(ProfileStore::Access& store, const fs::path& path, const SaveOptions& options,
                    std::string* error) {
    return WriteProfileFile(path, *store, options, error);
}

int SaveProfileFile(ProfileStore& store, const fs::path& path, const SaveOptions& options,
                    std::string* error) {
    auto access = store.Lock();
    return SaveProfileFile(access, path, options, error);
}

int SaveProfileCache(ProfileStore::Access& store, const fs::path& cachePath,
                     const SaveOptions& options, std::string* error) {
    std::error_code ec;
    if (!fs::exists(cachePath, ec)) {
        if (error != nullptr) {
            *error = "no profile cache file " + cachePath.string();
        }
        return 0;
    }
    return SaveProfileFile(store, cachePath, options, error);
}

int SaveProfileCache(ProfileStore& store, const fs::path& cachePath, const SaveOptions& options,
                     std::string* error) {
    auto access = store.Lock();
    return SaveProfileCache(access, cachePath, options, error);
}

int ExportProfileFile(ProfileStore& store, const fs::path& path, std::string* error,
                      const SaveOptions& options) {
    auto access = store.Lock();
    return SaveProfileFile(access, path, options, error);
}

// ---- The assignment editor's write ----

bool WriteEditedRecord(ProfileStore::Access& store, std::size_t block, std::size_t record,
                       std::uint16_t kind, std::uint16_t extra, std::uint32_t value) {
    if (block >= kKeyBlockCount || record >= keys::kRecordsPerBlock || !store->HasMainBlock()) {
        return false;
    }
    const std::size_t n = block * keys::kRecordsPerBlock + record;
    keys::KeyRecord edited = store->Record(n);
    if (edited.kind != kind) {
        store->strings.Clear(n);
    }
    edited.kind = kind;
    edited.extra = extra;
    edited.value = value;
    return store->SetRecord(n, edited);
}

// ---- Macros of the store ----

std::size_t MacroIdToIndex(ProfileStore& store, std::uint16_t id) {
    auto access = store.Lock();
    return macros::MacroIdToIndex(access->macros, id);
}

std::uint16_t MacroIndexToId(ProfileStore& store, std::size_t index) {
    auto access = store.Lock();
    return macros::MacroIndexToId(access->macros, index);
}

CommitResult CommitMacroList(ProfileStore::Access& store, std::vector<macros::MacroRecord> list) {
    CommitResult result;
    if (list.size() > macros::kMaxMacros) {
        return result;
    }
    constexpr auto kMacroKind = static_cast<std::uint16_t>(keys::KeyKind::Macro);
    constexpr auto kDefaultKind = static_cast<std::uint16_t>(keys::KeyKind::Default);
    for (std::size_t n = 0; n < kKeyRecordCount; ++n) {
        keys::KeyRecord record = store->Record(n);
        if (record.kind != kMacroKind) {
            continue;
        }
        if (record.value != 0) {
            const auto it = std::find_if(list.begin(), list.end(),
                                         [&](const auto& m) { return m.id == record.value; });
            if (it == list.end() || it->newMark != 0) {
                record.kind = kDefaultKind;
                (void)store->SetRecord(n, record);
                result.resetRecords.push_back(n);
                result.changed = true;
            }
        } else if (!list.empty()) {
            record.value = list.front().id;
            (void)store->SetRecord(n, record);
            result.changed = true;
        }
    }
    for (macros::MacroRecord& m : list) {
        m.newMark = 0;
    }
    store->macros = std::move(list);
    result.installed = true;
    return result;
}

CommitResult CommitMacroList(ProfileStore& store, std::vector<macros::MacroRecord> list) {
    auto access = store.Lock();
    return CommitMacroList(access, std::move(list));
}

// ---- Staging ----

StagingStore::Access CopyStoreToStaging(ProfileStore::Access& store) {
    // The store's lock is held, so taking the staging lock here keeps the order.
    StagingStore::Access staging = store.store().staging().Lock();
    staging->FreeContents();
    const std::uint64_t stringBytes = PlaceStrings(*store);
    if (!store->HasMainBlock()) {
        return staging;
    }
    try {
        staging->mainBlock = store->mainBlock;
        staging->macros = store->macros;
    } catch (const std::bad_alloc&) {
        staging->FreeContents();  // the caller sees a staging store without a main block
        return staging;
    }
    RefreshHeader(staging->mainBlock, static_cast<std::uint16_t>(staging->macros.size()),
                  static_cast<std::uint32_t>(stringBytes), 0);
    return staging;
}

macros::ImageSizes MacroImageSizes(StagingStore& staging) {
    auto access = staging.Lock();
    return macros::MacroImageSizes(access->macros);
}

}  // namespace qf::profiles
