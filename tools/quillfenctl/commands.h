// quillfenctl's commands. Each returns the program's exit code (session.h) and reports its own
// failures on stderr; results go to stdout.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "session.h"

namespace qf::cli {

// ---- The keyboard ----
int RunInfo(Session& session, bool json);
// Shows the active on-board profile, or makes `profile` (0..2) active.
int RunProfile(Session& session, std::optional<int> profile);

// ---- Lighting (the active profile's unless `profile` is given) ----
int RunLightingShow(Session& session, std::optional<int> profile);
// Settings as "name=value": mode=NAME|CODE brightness=0..4 speed=0..4 direction=0|1
// colour=RRGGBB multicolour=on|off rate=0..3 choice=0..3.
int RunLightingSet(Session& session, std::optional<int> profile,
                   const std::vector<std::string>& settings);
int RunLightingZone(Session& session, std::optional<int> profile, int zone,
                    const std::string& colour);

// ---- Profile files ----
int RunValidate(Session& session, const std::string& path);
int RunShow(Session& session, const std::string& path, bool json);

// ---- The keyboard and profile files ----
int RunRead(Session& session, const std::string& path);
// `verify` reads the keymaps and the macro memory back after the write.
int RunWrite(Session& session, const std::string& path, bool verify);

// The names a command accepts: "keys", "media", "functions" or "modes".
int RunList(Session& session, const std::string& what);

// Where a store command works: on the keyboard, or in a file when `file` is set.
struct StorePlace {
    std::string file;
    bool create = false;  // a missing file is made (else asked about)
};

struct AssignOptions {
    StorePlace place;
    std::optional<int> profile;  // default: the active profile (keyboard), 0 (file)
    std::string bank = "A";
    std::string key;
    std::vector<std::string> target;
    bool verify = false;
};
int RunAssign(Session& session, const AssignOptions& options);

int RunMacroList(Session& session, const StorePlace& place);
int RunMacroAdd(Session& session, const StorePlace& place, const std::string& name,
                const std::vector<std::string>& steps, int repeats);
// Sets how many times the keyboard plays a macro (for every key that plays it).
int RunMacroSet(Session& session, const StorePlace& place, const std::string& name, int repeats);
int RunMacroRemove(Session& session, const StorePlace& place, const std::string& name);

}  // namespace qf::cli
