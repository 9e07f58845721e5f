#include "app/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#include "text/safe_file.h"
#include "text/skin_keys.h"

namespace qf::app {

namespace fs = std::filesystem;

namespace {

// user-dirs.dirs is a few lines; anything much larger is not one.
constexpr std::size_t kUserDirsMaxBytes = 64 * 1024;

fs::path Relative(std::string_view relative) {
    std::string text(relative);
    for (char& c : text) {
        if (c == '\\') {
            c = '/';
        }
    }
    return fs::path(text);
}

SkinFile MakeSkinFile(const fs::path& installFolder, std::string_view relative) {
    SkinFile skin;
    skin.file = installFolder / Relative(relative);
    skin.folder = skin.file.parent_path();
    return skin;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// The value of one "XDG_DOCUMENTS_DIR=..." line, unquoted and unescaped.
std::optional<std::string> ValueOf(std::string_view line) {
    line = Trim(line);
    if (line.substr(0, kDocumentsDirVariable.size()) != kDocumentsDirVariable) {
        return std::nullopt;
    }
    line = Trim(line.substr(kDocumentsDirVariable.size()));
    if (line.empty() || line.front() != '=') {
        return std::nullopt;
    }
    line = Trim(line.substr(1));
    if (line.empty() || line.front() != '"') {
        return std::string(line);
    }
    std::string value;
    for (std::size_t i = 1; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            value.push_back(line[++i]);
        } else if (line[i] == '"') {
            return value;
        } else {
            value.push_back(line[i]);
        }
    }
    return std::nullopt;  // no closing quote
}

std::optional<fs::path> AbsoluteVariable(const Environment& env, std::string_view name) {
    if (!env.variable) {
        return std::nullopt;
    }
    const std::optional<std::string> value = env.variable(name);
    if (!value || value->empty() || value->front() != '/') {
        return std::nullopt;  // unset, empty or relative: the XDG rules ignore it
    }
    return fs::path(*value);
}

}  // namespace

Environment Environment::FromProcess() {
    Environment env;
    env.variable = [](std::string_view name) -> std::optional<std::string> {
        const std::string key(name);
        if (const char* value = std::getenv(key.c_str())) {
            return std::string(value);
        }
        if (name == kHomeVariable) {
            std::vector<char> buffer(16384);
            passwd entry{};
            passwd* found = nullptr;
            if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
                found != nullptr && found->pw_dir != nullptr) {
                return std::string(found->pw_dir);
            }
        }
        return std::nullopt;
    };
    std::error_code ec;
    env.executable = fs::read_symlink("/proc/self/exe", ec);
    return env;
}

fs::path InstallPaths::InstallFile(std::string_view relative) const {
    return installFolder / Relative(relative);
}

fs::path InstallPaths::UserColourFile(int profile) const {
    std::string name(text::skin::kUserColourPrefix);
    name += std::to_string(profile);
    name += text::skin::kUserColourSuffix;
    return InstallFile(name);
}

int BuildInstallPaths(const fs::path& executable, InstallPaths& out) {
    if (executable.empty() || !executable.is_absolute() || !executable.has_filename()) {
        return 0;
    }
    InstallPaths paths;
    paths.installFolder = executable.parent_path();
    paths.executableName = executable.filename().string();
    paths.helpFolder = paths.installFolder / kHelpFolder;
    paths.helpPage = paths.helpFolder / kHelpPage;
    paths.skinsFolder = paths.installFolder / text::skin::kSkinsFolder;
    paths.mainSkin = MakeSkinFile(paths.installFolder, text::skin::kMainLayoutFile);
    paths.profileSkin = MakeSkinFile(paths.installFolder, text::skin::kProfileLayoutFile);
    paths.compositeSkin = MakeSkinFile(paths.installFolder, text::skin::kCompositeLayoutFile);
    paths.languageFile = paths.InstallFile(text::skin::kLanguageFile);
    paths.companionProgram = paths.installFolder / kCompanionProgram;
    out = std::move(paths);
    return 1;
}

std::optional<fs::path> DocumentsFromUserDirs(std::string_view content, const fs::path& home) {
    std::optional<fs::path> found;
    std::size_t pos = 0;
    while (pos <= content.size()) {
        std::size_t end = content.find('\n', pos);
        if (end == std::string_view::npos) {
            end = content.size();
        }
        const std::string_view line = content.substr(pos, end - pos);
        pos = end + 1;
        if (Trim(line).substr(0, 1) == "#") {
            continue;
        }
        const std::optional<std::string> value = ValueOf(line);
        if (!value || value->find('\0') != std::string::npos) {
            continue;
        }
        std::string_view v = *value;
        fs::path folder;
        if (v.substr(0, 5) == "$HOME" && (v.size() == 5 || v[5] == '/')) {
            v.remove_prefix(5);
            while (!v.empty() && v.front() == '/') {
                v.remove_prefix(1);
            }
            folder = v.empty() ? home : home / fs::path(std::string(v));
        } else if (!v.empty() && v.front() == '/') {
            folder = fs::path(std::string(v));
        } else {
            continue;  // relative paths are not allowed in user-dirs.dirs
        }
        found = folder.lexically_normal();
        if (found->has_relative_path() && !found->has_filename()) {
            found = found->parent_path();  // drop a trailing '/'
        }
    }
    return found;
}

int BuildUserPaths(const Environment& env, UserPaths& out, std::string_view applicationName) {
    const std::optional<fs::path> home = AbsoluteVariable(env, kHomeVariable);
    if (!home) {
        return 0;
    }
    UserPaths paths;
    paths.configFolder =
        AbsoluteVariable(env, kConfigHomeVariable).value_or(*home / kConfigHomeFallback);

    std::vector<std::uint8_t> bytes;
    std::optional<fs::path> documents;
    if (text::ReadWholeFile(paths.configFolder / kUserDirsFileName, bytes, kUserDirsMaxBytes) ==
        1) {
        documents = DocumentsFromUserDirs(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), *home);
    }
    paths.documentsFolder = documents.value_or(*home / kDocumentsFallback);
    paths.profileFolder = paths.documentsFolder / kProfileFolderName;
    paths.userSettingsFile = paths.profileFolder / kUserSettingsFileName;
    paths.profileCacheFile = paths.profileFolder / kProfileCacheFileName;
    paths.settingsStoreFile = paths.configFolder / kCompanyKey /
                              (std::string(applicationName) + std::string(kSettingsStoreSuffix));
    out = std::move(paths);
    return 1;
}

}  // namespace qf::app
