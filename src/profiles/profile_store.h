// The profile store and the staging store, their locks, and the operations that move the store
// between memory and profile files.
//
// The application owns one ProfileStore, which owns its StagingStore, and passes them to the
// editors, the transfers, the switching and the windows. Each store is guarded by a re-entrant
// lock; the contents are reached only through an Access object that holds it:
//
//     auto store = profileStore.Lock();             // the store's lock
//     store->SetBlockRecord(profile, k, record);
//     auto staging = CopyStoreToStaging(store);     // then the staging lock, never the reverse
//
// Operations come in two forms: one taking the store itself, which takes the lock for the call,
// and one taking an Access, for a caller that already holds the lock and runs several steps
// under it. Taking the store's lock while the same thread holds the staging lock would invert
// the lock order; it is a programming error and ends the process with a message.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "macros/macro_image.h"
#include "macros/macro_record.h"
#include "profiles/profile_format.h"
#include "text/safe_file.h"

namespace qf::profiles {

// A re-entrant lock that knows which thread holds it.
class OwnedLock {
public:
    void lock();
    void unlock();
    bool HeldByThisThread() const { return owner_.load() == std::this_thread::get_id(); }

private:
    std::recursive_mutex mutex_;
    std::atomic<std::thread::id> owner_{};
    int depth_ = 0;  // changed only by the holder
};

// Proof that the caller holds a store's lock, and the way to its contents. Typed by the store
// it belongs to, so that an access to the staging store never stands in for one to the store.
template <typename Store>
class StoreAccess {
public:
    StoreAccess(Store& store, OwnedLock& lock, StoreContents& contents)
        : lock_(lock), store_(&store), contents_(&contents) {}

    StoreContents& operator*() const { return *contents_; }
    StoreContents* operator->() const { return contents_; }
    StoreContents& contents() const { return *contents_; }
    Store& store() const { return *store_; }

private:
    std::unique_lock<OwnedLock> lock_;
    Store* store_;
    StoreContents* contents_;
};

class StagingStore;
class ProfileStore;

// The copy of the store that downloads read, under a lock of its own: main block and macros.
class StagingStore {
public:
    using Access = StoreAccess<StagingStore>;

    // Taking only the staging lock is always safe; a thread that needs both takes the store's
    // first (CopyStoreToStaging does).
    [[nodiscard]] Access Lock() { return Access(*this, lock_, contents_); }
    bool HeldByThisThread() const { return lock_.HeldByThisThread(); }

private:
    OwnedLock lock_;
    StoreContents contents_;
};

class ProfileStore {
public:
    using Access = StoreAccess<ProfileStore>;

    // A store starts with a new main block (flag 0), no macros and no strings.
    ProfileStore();

    [[nodiscard]] Access Lock();
    bool HeldByThisThread() const { return lock_.HeldByThisThread(); }
    StagingStore& staging() { return staging_; }

private:
    OwnedLock lock_;
    StoreContents contents_;
    StagingStore staging_;
};

// How a file is written.
struct SaveOptions {
    // Flush to disk before the rename. Without it the write is still atomic against a crash of
    // the program but not against a power loss; meant for measurements and scratch files.
    bool flush = true;
    // Fault seam for tests of crash safety.
    const text::WriteFaults* faults = nullptr;
};

// ---- Paths ----

// The profile folder in the user's documents folder.
std::filesystem::path ProfileFolder(const std::filesystem::path& documentsFolder);
// Creates the profile folder when it does not exist. 1 when it exists afterwards, else 0.
[[nodiscard]] int EnsureProfileFolder(const std::filesystem::path& profileFolder);
// The profile cache file: "$Profile0" in the profile folder, the same path for every index.
std::filesystem::path ProfileCachePath(const std::filesystem::path& profileFolder, int index);

// ---- Files without a store ----

// Checks a profile file. 1 valid; 0 missing, smaller than 32832 bytes, 4 GiB or larger, or
// invalid (then formatError is set and the caller shows PROFILE_FORMAT_ERROR with the path);
// -2 when it cannot be opened for reading; -3 when memory for it cannot be had. The file is
// opened for reading only.
[[nodiscard]] Validation ValidateProfileFile(const std::filesystem::path& path);

// Reads a profile file into `out` (replaced only on success); see ParseProfileFile.
[[nodiscard]] int ReadProfileFile(const std::filesystem::path& path, StoreContents& out,
                                  LoadReport* report = nullptr);

// Writes `contents` as a profile file through a temporary file and a rename, so that a failure
// leaves any old file complete. Updates the contents' header and string offsets as every save
// does. 1 written; 0 failed, with the reason in `error`.
[[nodiscard]] int WriteProfileFile(const std::filesystem::path& path, StoreContents& contents,
                                   const SaveOptions& options = {}, std::string* error = nullptr);

// Writes a new main block (count 0, string bytes 0, `flag`) as a 32832-byte file.
[[nodiscard]] int WriteBlankProfileFile(const std::filesystem::path& path, std::uint8_t flag,
                                        const SaveOptions& options = {},
                                        std::string* error = nullptr);

// ---- The store ----

// Frees every string slot, the macros and the main block.
void FreeStoreContents(ProfileStore::Access& store);

// Installs a new main block (flag as given) as the store's main block: the install form of
// WriteBlankProfileFile. Macros and strings are left as they are (callers free them first).
void InstallBlankMainBlock(ProfileStore::Access& store, std::uint8_t flag);

// Loads a profile file into the store. The file is read and checked completely first; only a
// file that loads replaces the store's contents, so on failure (0) the store is unchanged.
[[nodiscard]] int LoadProfileFile(ProfileStore::Access& store, const std::filesystem::path& path,
                                  LoadReport* report = nullptr);
[[nodiscard]] int LoadProfileFile(ProfileStore& store, const std::filesystem::path& path,
                                  LoadReport* report = nullptr);

// Writes the store to `path`; 1 written, 0 failed (reason in `error`).
[[nodiscard]] int SaveProfileFile(ProfileStore::Access& store, const std::filesystem::path& path,
                                  const SaveOptions& options = {}, std::string* error = nullptr);
[[nodiscard]] int SaveProfileFile(ProfileStore& store, const std::filesystem::path& path,
                                  const SaveOptions& options = {}, std::string* error = nullptr);

// Writes the store to the cache file, only when that file already exists (0 otherwise).
[[nodiscard]] int SaveProfileCache(ProfileStore::Access& store,
                                   const std::filesystem::path& cachePath,
                                   const SaveOptions& options = {}, std::string* error = nullptr);
[[nodiscard]] int SaveProfileCache(ProfileStore& store, const std::filesystem::path& cachePath,
                                   const SaveOptions& options = {}, std::string* error = nullptr);

// The main window's export: takes the lock and saves. On failure `error` says why.
[[nodiscard]] int ExportProfileFile(ProfileStore& store, const std::filesystem::path& path,
                                    std::string* error = nullptr, const SaveOptions& options = {});

// ---- The assignment editor's write ----

// Writes what the assignment editor sets in record `record` (0..511) of key block `block`: its
// kind, extra and value. Bytes 8 to 15 of the record stay as they are. When the kind changes, the
// string the record's slot of the string table holds (the store-wide record number, block x 512 +
// record) is dropped and the string total goes down with it; a record that keeps its kind keeps
// its string, so a program path or text is never lost by a write that leaves the kind alone.
// False, and nothing changed, for a block or record out of range or a store without a main
// block.
[[nodiscard]] bool WriteEditedRecord(ProfileStore::Access& store, std::size_t block,
                                     std::size_t record, std::uint16_t kind, std::uint16_t extra,
                                     std::uint32_t value);

// ---- Macros of the store ----

[[nodiscard]] std::size_t MacroIdToIndex(ProfileStore& store, std::uint16_t id);
[[nodiscard]] std::uint16_t MacroIndexToId(ProfileStore& store, std::size_t index);

// What a commit did.
struct CommitResult {
    bool installed = false;  // the list became the store's macro list
    bool changed = false;    // key records changed: the caller enables the main window's Apply
    // Records whose macro no longer exists and which became kind 0: the caller refreshes the
    // views of those of them that are shown.
    std::vector<std::size_t> resetRecords;
};

// Stores an editor's macro list: key records of kind 4 whose macro is gone (or exists only in
// the editor) become kind 0; those with value 0 take the first macro's id; the new marks are
// cleared and the list replaces the store's macros. A list of more than 100 macros is refused
// and changes nothing.
CommitResult CommitMacroList(ProfileStore::Access& store, std::vector<macros::MacroRecord> list);
CommitResult CommitMacroList(ProfileStore& store, std::vector<macros::MacroRecord> list);

// ---- Staging ----

// Empties the staging store and copies the store's main block (with a refreshed header) and
// macros into it; the store's string offsets are brought up to date as a save does. Returns the
// staging store's access, whose lock the caller holds for the download.
[[nodiscard]] StagingStore::Access CopyStoreToStaging(ProfileStore::Access& store);

// The macro image sizes of the staging store's macros, under its lock.
[[nodiscard]] macros::ImageSizes MacroImageSizes(StagingStore& staging);

}  // namespace qf::profiles
