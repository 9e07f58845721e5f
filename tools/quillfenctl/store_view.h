// Reading profile files for the command line and describing a store's contents: what `show`
// prints, and the checks shared by every command that takes a profile file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "keys/key_names.h"
#include "profiles/profile_format.h"
#include "session.h"

namespace qf::cli {

// Checks and reads a profile file; on failure says why and returns kExitFile. `allowMissing`
// gives a new, empty store for a file that does not exist.
int ReadProfileForCli(const std::filesystem::path& path, profiles::StoreContents& out,
                      bool allowMissing = false);

// One assigned key of a profile.
struct AssignedKey {
    std::string key;  // "A", "G3 (bank B)"
    std::size_t record = 0;
    std::uint16_t kind = 0;
    std::uint16_t extra = 0;
    std::uint32_t value = 0;
    std::string caption;  // as the key button shows it
    std::string does;     // the function in plain words
};

// A key's function in plain words ("key Ctrl", "nothing (disabled)"), and the assignment
// target that gives it back (empty when the command line cannot set it: a program, a text or a
// stop-macro key).
struct PlainFunction {
    std::string words;
    std::string target;
};
PlainFunction DescribeFunction(const keys::KeyRecord& record,
                               const std::vector<macros::MacroRecord>& list,
                               const keys::KeyTexts& texts);

// The keys of profile `block` whose record is not kind 0: the G keys of bank A, then bank B,
// then the other keys by record number.
std::vector<AssignedKey> AssignedKeys(const profiles::StoreContents& contents, std::size_t block,
                                      Session& session);

// The caption of one record as the key button shows it.
std::string CaptionOf(const profiles::StoreContents& contents, std::size_t block,
                      std::size_t record, Session& session);

// A word as a shell takes it whole: in double quotes when it holds a blank.
std::string Quoted(const std::string& word);
// The global options a later command needs to reach the same keyboard (" --virtual", ...).
std::string KeyboardOptions(const Session& session);

// The index of the macro named `name` (exact, then without regard to case), or -1.
int FindMacro(const std::vector<macros::MacroRecord>& list, const std::string& name);

// The macro list as text: one line per macro (id, name, repeat count, steps).
std::string DescribeMacros(const std::vector<macros::MacroRecord>& list,
                           const keys::KeyTexts& texts);

}  // namespace qf::cli
