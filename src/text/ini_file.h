// INI files with the private-profile rules the program's skins, language file and settings
// files were made for.
//
// Rules (both for IniDocument and for IniFiles):
// - A line whose first non-blank character is '[' and that holds a ']' is a section header; the
//   name is the text between '[' and the last ']', without surrounding blanks. A line starting
//   with '[' but holding no ']' is no header and no key: it is kept and otherwise ignored.
// - A line "key = value" belongs to the section above it. Key and value lose their surrounding
//   blanks; a value enclosed in matching double or single quotes loses the quotes. Lines before
//   the first header belong to the section with the empty name.
// - Lines whose first non-blank character is ';' are comments; lines without '=' are ignored.
//   Comments, blank lines and ignored lines are kept byte for byte when the file is written.
// - Section and key names are compared without regard to ASCII letter case. When a section or a
//   key appears twice, the first one counts, for reading and for writing.
// - A value is read up to kIniValueMaxChars characters (UTF-8 characters; a longer value is cut at
//   a character boundary) and up to its first NUL byte. A missing key gives the caller's default,
//   which loses its trailing blanks and is cut the same way: a default of " " reads as "".
// - Writing a value replaces it in the line that holds it, keeping the text before the value
//   (indentation, the key's own spelling, blanks around '='); a new key goes after the last key
//   of its section, a new section at the end of the file. Every other line keeps its bytes.
// - LF and CRLF files are both read; new lines take the ending of the file's first line (LF for
//   an empty file). A UTF-8 byte order mark is accepted and written back.
// - Files larger than kIniMaxFileBytes are refused with an error, never cut.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/safe_file.h"

namespace qf::text {

// A value fills at most a 260-character buffer with its terminator.
inline constexpr std::size_t kIniValueMaxChars = 259;
// Larger files are refused: no INI file of the program comes near this.
inline constexpr std::size_t kIniMaxFileBytes = 16u * 1024u * 1024u;

// Results of loading an INI file.
enum class IniLoadResult : int {
    Loaded = 1,       // the file was read and parsed
    Missing = 0,      // no such file: the document is empty
    TooLarge = -1,    // larger than kIniMaxFileBytes: refused
    Unreadable = -2,  // exists but cannot be read (rights, a folder, ...)
};

// Results of changing a document or writing an INI file.
enum class IniWriteResult : int {
    Written = 1,       // changed (and, for a file, written)
    Failed = 0,        // the file could not be read or written: it is left as it was
    InvalidName = -3,  // a name or value that would break the file's lines: nothing changed
};

// Cuts `text` to at most `maxChars` UTF-8 characters, never inside a character's bytes. Bytes
// that are not valid UTF-8 count as one character each.
[[nodiscard]] std::string_view CutToChars(std::string_view text, std::size_t maxChars);

// Compares two names without regard to ASCII letter case.
[[nodiscard]] bool NamesEqual(std::string_view a, std::string_view b);

// Parses like a C decimal conversion (atoi): leading blanks skipped, an optional sign, then the
// leading digits; anything after them is ignored. No digits gives 0. Values beyond the range of
// int are clamped to it.
[[nodiscard]] int ParseLeadingInt(std::string_view text);

// One INI file held in memory: parse once, look up many times, edit, serialise.
// Lookups are indexed (logarithmic); edits rebuild the index. Not synchronised: share a document
// between threads only for reading.
class IniDocument {
public:
    IniDocument() = default;

    // Never fails: any bytes parse (see the rules above).
    [[nodiscard]] static IniDocument Parse(std::string_view text);

    // The file's bytes: every unchanged line as it was read.
    [[nodiscard]] std::string Serialise() const;

    // The value as stored (quotes removed, not cut), or nothing when the key is missing.
    [[nodiscard]] std::optional<std::string> Find(std::string_view section,
                                                  std::string_view key) const;

    // The private-profile string read: the value, or `defaultValue` without its trailing blanks,
    // cut to `maxChars` characters.
    [[nodiscard]] std::string GetString(std::string_view section, std::string_view key,
                                        std::string_view defaultValue,
                                        std::size_t maxChars = kIniValueMaxChars) const;

    // The private-profile integer read: `defaultValue` when the key is missing or its value is
    // empty; otherwise ParseLeadingInt of the value ("12abc" is 12, "abc" is 0).
    [[nodiscard]] int GetInt(std::string_view section, std::string_view key,
                             int defaultValue) const;

    [[nodiscard]] bool HasSection(std::string_view section) const;
    // The key names of a section in file order (first occurrences only), as spelled in the file.
    [[nodiscard]] std::vector<std::string> KeyNames(std::string_view section) const;
    // The section names in file order (first occurrences only; the unnamed top section omitted).
    [[nodiscard]] std::vector<std::string> SectionNames() const;

    // Sets key = value, creating the key and the section as needed. A value with surrounding
    // blanks, or one that itself starts and ends with the same quote, is written in double quotes
    // so that it reads back exactly. Written on success; InvalidName (nothing changed) when the
    // section is empty or holds ']', a line break or a NUL byte, or has surrounding blanks; when
    // the key is empty, starts with '[' or ';', holds '=', a line break or a NUL byte, or has
    // surrounding blanks; or when the value holds a line break or a NUL byte.
    [[nodiscard]] IniWriteResult SetString(std::string_view section, std::string_view key,
                                           std::string_view value);
    // Removes the key's line. True when removed, false when there was no such key.
    bool DeleteKey(std::string_view section, std::string_view key);
    // Removes the section's header and every line up to the next header. True when removed,
    // false when there was no such section.
    bool DeleteSection(std::string_view section);

    [[nodiscard]] bool HasByteOrderMark() const { return bom_; }
    // "\r\n" or "\n": the ending new lines get.
    [[nodiscard]] std::string_view LineEnding() const { return crlf_ ? "\r\n" : "\n"; }

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string text;    // the line without its ending
        std::string ending;  // "\n", "\r\n" or "" (last line without one)
        Kind kind = Kind::Other;
        std::string name;            // section or key name, blanks removed
        std::size_t valueStart = 0;  // key lines: where the value's text starts in `text`
    };
    struct SectionIndex {
        std::size_t header = 0;  // line index of the header (or 0 for the unnamed section)
        std::size_t end = 0;     // one past the section's last line
        std::map<std::string, std::size_t> keys;  // lower-case key -> line index (first one)
    };

    static Line ParseLine(std::string text, std::string ending);
    void Reindex();
    const SectionIndex* FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKeyLine(std::string_view section, std::string_view key) const;
    void InsertLine(std::size_t at, std::string text);

    std::vector<Line> lines_;
    bool bom_ = false;
    bool crlf_ = false;
    std::map<std::string, SectionIndex> index_;  // lower-case section name -> first section
    std::vector<std::string> sectionOrder_;      // section names as spelled, first occurrences
};

// Reads and parses an INI file. Returns Loaded, Missing (out empty), TooLarge or Unreadable (out
// empty); `error`, when given, receives a description of a failure.
[[nodiscard]] IniLoadResult LoadIniFile(const std::filesystem::path& path, IniDocument& out,
                                        std::string* error = nullptr);

// The INI files of one application: read-modify-write of a file under a lock of its own, so two
// threads writing the same file never lose each other's values; every write replaces the file
// atomically (WriteFileAtomically), so readers never see half a file and need no lock.
//
// One object is owned by the application and shared by reference by everything that writes INI
// files. Paths are told apart by their absolute, normalised form. Two separate IniFiles objects
// (or two processes) writing one file may lose one another's values but never corrupt the file.
class IniFiles {
public:
    IniFiles() = default;
    IniFiles(const IniFiles&) = delete;
    IniFiles& operator=(const IniFiles&) = delete;

    // Private-profile reads of one value; a missing or unreadable file gives the default.
    [[nodiscard]] std::string GetString(const std::filesystem::path& path, std::string_view section,
                                        std::string_view key, std::string_view defaultValue,
                                        std::size_t maxChars = kIniValueMaxChars) const;
    [[nodiscard]] int GetInt(const std::filesystem::path& path, std::string_view section,
                             std::string_view key, int defaultValue) const;

    // Sets one value, creating the file and section as needed (not the folder). Written on
    // success; Failed when the file cannot be read (too large, unreadable: it is then left as it
    // is) or written; InvalidName as IniDocument::SetString.
    [[nodiscard]] IniWriteResult WriteString(const std::filesystem::path& path,
                                             std::string_view section, std::string_view key,
                                             std::string_view value, std::string* error = nullptr);
    // Written when the key was removed or was not there; Failed when the file could not be read
    // or written.
    [[nodiscard]] IniWriteResult DeleteKey(const std::filesystem::path& path,
                                           std::string_view section, std::string_view key,
                                           std::string* error = nullptr);
    [[nodiscard]] IniWriteResult DeleteSection(const std::filesystem::path& path,
                                               std::string_view section,
                                               std::string* error = nullptr);

    // Several edits as one: loads the file (an empty document when missing), calls `edit` under
    // the file's lock and writes the file when `edit` returns Written. Returns `edit`'s result
    // when it is not Written, Failed when the file cannot be read or written, Written when
    // written.
    [[nodiscard]] IniWriteResult Update(const std::filesystem::path& path,
                                        const std::function<IniWriteResult(IniDocument&)>& edit,
                                        std::string* error = nullptr);

    // Fault seam for crash-safety tests: every later write of this object goes through
    // WriteFileAtomically with `faults` (null: none). The object must outlive those writes.
    void SetWriteFaults(const WriteFaults* faults) { faults_.store(faults); }

private:
    // What an edit asks for: nothing when it left the document as it was (the file is not
    // written and the edit counts as done), Written to write the document, any other result to
    // stop with it.
    using Edit = std::function<std::optional<IniWriteResult>(IniDocument&)>;

    std::shared_ptr<std::mutex> LockFor(const std::filesystem::path& path);
    [[nodiscard]] IniWriteResult EditFile(const std::filesystem::path& path, const Edit& edit,
                                          std::string* error);

    std::atomic<const WriteFaults*> faults_{nullptr};
    std::mutex locksMutex_;
    std::map<std::string, std::shared_ptr<std::mutex>> locks_;
};

}  // namespace qf::text
