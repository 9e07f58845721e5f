// quillfenctl's commands. Each returns the program's exit code (session.h) and reports its own
// failures on stderr; results go to stdout.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "session.h"

namespace qf::cli {

// ---- The keyboard ----
int RunInfo(Session& session);
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
int RunWrite(Session& session, const std::string& path);

// Where a store command works: on the keyboard, or in a file when `file` is set.
struct StorePlace {
    std::string file;
};

struct AssignOptions {
    StorePlace place;
    std::optional<int> profile;  // default: the active profile (keyboard), 0 (file)
    std::string bank = "A";
    std::string key;
    std::vector<std::string> target;
};
int RunAssign(Session& session, const AssignOptions& options);

int RunMacroList(Session& session, const StorePlace& place);
int RunMacroAdd(Session& session, const StorePlace& place, const std::string& name,
                const std::vector<std::string>& steps, int repeats);
int RunMacroRemove(Session& session, const StorePlace& place, const std::string& name);

}  // namespace qf::cli
