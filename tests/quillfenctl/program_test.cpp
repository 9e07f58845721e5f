// The built quillfenctl program, run against the virtual keyboard as a user runs it: each run
// is a new process that finds the keyboard's memory where the previous run left it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "text/ini_file.h"
#include "text/language.h"
#include "text/skin_layout.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

// Every run gets its own home and state folders, and a stdin that is not a terminal.
class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("quillfenctl-" + std::to_string(::getpid()) + "-" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "home");
        // A bare install folder: the program without the skin and the language file that lie
        // beside the built one, so that runs show the built-in mode names and wording.
        program_ = dir_ / "bin" / "quillfenctl";
        fs::create_directories(program_.parent_path());
        std::error_code ec;
        fs::create_hard_link(QUILLFENCTL_PATH, program_, ec);
        if (ec) {
            fs::copy_file(QUILLFENCTL_PATH, program_);
        }
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path Path(const std::string& name) const { return dir_ / name; }
    fs::path StateFile() const { return dir_ / "state" / "quillfen" / "virtual-keyboard.state"; }

    RunResult Run(const std::vector<std::string>& args) {
        std::vector<std::string> env = {
            "HOME=" + (dir_ / "home").string(),
            "XDG_STATE_HOME=" + (dir_ / "state").string(),
            "XDG_CONFIG_HOME=" + (dir_ / "config").string(),
            "PATH=/usr/bin:/bin",
        };
        std::vector<std::string> argv = {program_.string()};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> argp;
        for (auto& a : argv) {
            argp.push_back(a.data());
        }
        argp.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);

        const fs::path out = dir_ / "stdout.txt";
        const fs::path err = dir_ / "stderr.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        pid_t pid = 0;
        RunResult result;
        const int spawned =
            posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argp.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << argv[0];
            return result;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.out = ReadText(out);
        result.err = ReadText(err);
        return result;
    }

    // Runs and expects exit code `code`, showing the output when it differs.
    RunResult Expect(int code, const std::vector<std::string>& args) {
        RunResult r = Run(args);
        std::string line;
        for (const auto& a : args) {
            line += a + ' ';
        }
        EXPECT_EQ(r.exitCode, code) << line << "\nstdout:\n" << r.out << "\nstderr:\n" << r.err;
        return r;
    }

    void WriteBytes(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    fs::path dir_;
    fs::path program_;  // the program a run starts
};

// ---- Exit codes ----

TEST_F(ProgramTest, UsageErrorsExitWithTwo) {
    Expect(2, {});
    Expect(2, {"frobnicate"});
    Expect(2, {"assign", "A"});
    Expect(2, {"profile", "3"});
    Expect(2, {"--virtual", "assign", "Hyper", "default"});
    Expect(2, {"--virtual", "assign", "A", "program:/bin/sh"});
    Expect(2, {"--virtual", "lighting", "set", "brightness=9"});
    Expect(2, {"--virtual", "lighting", "set", "sparkle=1"});
    Expect(2, {"--virtual", "macro", "add", "Bad", "t50", "+A"});
    Expect(2, {"--virtual", "--device-service", "/nowhere.so", "info"});
    // Nothing above touched the keyboard: no state file was made.
    EXPECT_FALSE(fs::exists(StateFile()));
    Expect(0, {"--help"});
    Expect(0, {"macro", "add", "--help"});
}

TEST_F(ProgramTest, NoDeviceServiceOrNoKeyboardExitWithOne) {
    const auto missing = Expect(1, {"--device-service", Path("missing.so").string(), "info"});
    EXPECT_NE(missing.err.find("missing.so"), std::string::npos) << missing.err;
    const auto empty = Expect(1, {"--device-service", QF_EMPTY_SERVICE_PATH, "info"});
    EXPECT_NE(empty.err.find("no keyboard"), std::string::npos) << empty.err;
    Expect(1, {"--device-service", QF_EMPTY_SERVICE_PATH, "read", Path("x.fwc").string()});
    EXPECT_FALSE(fs::exists(Path("x.fwc")));
}

TEST_F(ProgramTest, BrokenFilesExitWithThreeAndStayAsTheyWere) {
    const fs::path broken = Path("broken.fwc");
    const std::string bytes(40000, '\x5a');
    WriteBytes(broken, bytes);
    const auto validate = Expect(3, {"validate", broken.string()});
    EXPECT_NE(validate.err.find("not a valid profile file"), std::string::npos);
    Expect(3, {"show", broken.string()});
    Expect(3, {"--virtual", "write", broken.string()});
    Expect(3, {"assign", "--file", broken.string(), "A", "disable"});
    Expect(3, {"macro", "list", "--file", broken.string()});
    Expect(3, {"validate", Path("absent.fwc").string()});
    EXPECT_EQ(ReadText(broken), bytes);
    // A broken virtual keyboard state file is reported, not replaced by a new keyboard.
    fs::create_directories(StateFile().parent_path());
    WriteBytes(StateFile(), "not a state file");
    Expect(3, {"--virtual", "info"});
    EXPECT_EQ(ReadText(StateFile()), "not a state file");
}

// A read into a target the program must not replace is refused before the keyboard is read,
// and the target is left as it was.
TEST_F(ProgramTest, ReadRefusesTargetsThatAreNotWritableRegularFiles) {
    const auto refused = [this](const fs::path& target, const std::string& reason) {
        const auto r = Expect(3, {"--virtual", "read", target.string()});
        EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(target.string()), std::string::npos) << r.err;
    };
    const fs::path fifo = Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    refused(fifo, "named pipe");
    EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);

    const fs::path locked = Path("locked.fwc");
    WriteBytes(locked, "kept");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
    refused(locked, "write-protected");
    EXPECT_EQ(ReadText(locked), "kept");

    refused(Path("no-folder") / "x.fwc", "does not exist");
    refused(dir_, "a folder");
    // Nothing above touched the keyboard: no state file was made.
    EXPECT_FALSE(fs::exists(StateFile()));

    if (::geteuid() == 0) {
        // A node like /dev/null, which a rename would have replaced by a regular file.
        const fs::path node = Path("null");
        ASSERT_EQ(::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
        refused(node, "a device");
        EXPECT_EQ(fs::status(node).type(), fs::file_type::character);
    }
}

// ---- The keyboard ----

TEST_F(ProgramTest, InfoNamesTheModesAndTheStateLastsAcrossRuns) {
    const auto info = Expect(0, {"--virtual", "info"});
    EXPECT_NE(info.out.find("keyboard: attached"), std::string::npos);
    EXPECT_NE(info.out.find("active profile: 0"), std::string::npos);
    EXPECT_NE(info.out.find("macro memory: 4096 bytes"), std::string::npos);
    EXPECT_NE(info.out.find("Custom zones"), std::string::npos);
    EXPECT_TRUE(fs::exists(StateFile()));

    Expect(0, {"--virtual", "profile", "2"});
    const auto now = Expect(0, {"--virtual", "profile"});
    EXPECT_NE(now.out.find("active profile: 2"), std::string::npos) << now.out;
    // Another state file is another keyboard.
    const auto other = Expect(0, {"--virtual-state", Path("other.state").string(), "profile"});
    EXPECT_NE(other.out.find("active profile: 0"), std::string::npos);
}

// The trace starts with a '#' header that says what made it; the reports follow it, the device
// info request first.
TEST_F(ProgramTest, TraceOfInfoStartsWithAHeaderThenTheDeviceInfoRequest) {
    const fs::path trace = Path("trace.txt");
    const fs::path state = Path("k.state");
    Expect(0, {"--virtual-state", state.string(), "--trace", trace.string(), "info"});
    const auto lines = SplitLines(ReadText(trace));
    ASSERT_GE(lines.size(), 3u);
    const std::regex header(
        "# quillfenctl [0-9]+\\.[0-9]+\\.[0-9]+; command line: .*quillfenctl --virtual-state .*"
        "k\\.state --trace .*trace\\.txt info; virtual keyboard \\(state file .*k\\.state\\); "
        "[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z");
    EXPECT_TRUE(std::regex_match(lines[0], header)) << lines[0];
    EXPECT_EQ(lines[1].rfind("> CTRL 04 2f 00 03 2c", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2].rfind("< CTRL 04 ", 0), 0u) << lines[2];
    const std::regex report("[<>] (CTRL|CONS|LED)( [0-9a-f]{2})+");
    for (const auto& line : lines) {
        EXPECT_TRUE(line.rfind('#', 0) == 0 || std::regex_match(line, report)) << line;
    }
}

TEST_F(ProgramTest, LightingSetThenShow) {
    Expect(0, {"--virtual", "lighting", "set", "mode=4", "brightness=2", "speed=3", "colour=00ff80",
               "rate=1"});
    auto shown = Expect(0, {"--virtual", "lighting", "show"});
    EXPECT_NE(shown.out.find("mode=4 (Static)"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("brightness=2\n"), std::string::npos);
    EXPECT_NE(shown.out.find("speed=3\n"), std::string::npos);
    EXPECT_NE(shown.out.find("colour=00ff80\n"), std::string::npos);
    EXPECT_NE(shown.out.find("multicolour=off\n"), std::string::npos);
    EXPECT_NE(shown.out.find("rate=1\n"), std::string::npos);

    // Another profile keeps its own record; modes go by name too.
    Expect(0, {"--virtual", "lighting", "set", "--profile", "1", "mode=custom zones"});
    Expect(0, {"--virtual", "lighting", "zone", "--profile", "1", "3", "123456"});
    shown = Expect(0, {"--virtual", "lighting", "show", "--profile", "1"});
    EXPECT_NE(shown.out.find("mode=8"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("zone3=123456"), std::string::npos) << shown.out;
    shown = Expect(0, {"--virtual", "lighting", "show"});
    EXPECT_NE(shown.out.find("mode=4"), std::string::npos);
    // Zones are painted in mode 8 only; a mode the keyboard lacks is refused.
    Expect(2, {"--virtual", "lighting", "zone", "2", "ffffff"});
    Expect(2, {"--virtual", "lighting", "set", "mode=99"});
}

TEST_F(ProgramTest, TheShippedSkinAndLanguageFileNameModesAndAssignments) {
    // The built program has the skin and the language file beside it, as an installation has.
    program_ = QUILLFENCTL_PATH;
    const fs::path install = program_.parent_path();
    qf::text::IniDocument layout;
    qf::text::IniDocument language;
    if (qf::text::LoadIniFile(install / "Skins" / "Main.ini", layout) != qf::text::kIniLoaded ||
        qf::text::LoadIniFile(install / "Skins" / "language.ini", language) !=
            qf::text::kIniLoaded) {
        GTEST_SKIP() << "no skin beside " << program_;
    }
    const int setting = qf::text::LanguageSetting(language);
    Expect(0, {"--virtual", "lighting", "set", "mode=4"});
    const auto shown = Expect(0, {"--virtual", "lighting", "show"});
    const std::string name = qf::text::ModeName(layout, setting, 4);
    EXPECT_NE(shown.out.find("mode=4 (" + name + ")"), std::string::npos) << shown.out;

    Expect(0, {"--virtual", "assign", "F5", "media:Mute"});
    Expect(0, {"--virtual", "read", Path("k.fwc").string()});
    const auto listed = Expect(0, {"show", Path("k.fwc").string()});
    const std::string section(qf::text::LanguageSectionFor(setting));
    const std::string set = language.GetString(section, "KEY_PROMPT_SET", "");
    const std::string media = language.GetString(section, "KEY_PROMPT_MEDIA", "");
    EXPECT_NE(listed.out.find("F5" + set + media), std::string::npos) << listed.out;
}

// ---- Profiles and macros ----

TEST_F(ProgramTest, ReadShowAssignWriteRoundTrip) {
    const fs::path first = Path("first.fwc");
    Expect(0, {"--virtual", "read", first.string()});
    Expect(0, {"validate", first.string()});
    auto shown = Expect(0, {"show", first.string()});
    EXPECT_NE(shown.out.find("profile 0 (0 assigned)"), std::string::npos) << shown.out;

    Expect(0, {"assign", "--file", first.string(), "A", "key:Shift"});
    Expect(0, {"assign", "--file", first.string(), "--profile", "2", "Caps Lock", "disable"});
    Expect(0, {"assign", "--file", first.string(), "--profile", "1", "F5", "media:Mute"});
    Expect(0, {"assign", "--file", first.string(), "--bank", "B", "G2", "function:Copy"});
    shown = Expect(0, {"show", first.string()});
    EXPECT_NE(shown.out.find("AKeys, Set: Key(Shift)"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Caps LockKeys, Set: "), std::string::npos);
    EXPECT_NE(shown.out.find("F5Keys, Set: Media(Mute)"), std::string::npos);
    EXPECT_NE(shown.out.find("G2 (bank B)\tG2Keys, Set: Function(Copy)"), std::string::npos);

    // Right Win has no position in the keyboard's layout: the write says so and goes on.
    Expect(0, {"assign", "--file", first.string(), "Right Win", "disable"});
    const auto written = Expect(0, {"--virtual", "write", first.string()});
    EXPECT_NE(written.err.find("profile 0: Right Win is not on the keyboard's layout"),
              std::string::npos)
        << written.err;
    EXPECT_EQ(written.err.find("G2"), std::string::npos) << written.err;
    const fs::path second = Path("second.fwc");
    Expect(0, {"--virtual", "read", second.string()});
    const auto again = Expect(0, {"show", "--json", second.string()});
    const auto doc = nlohmann::json::parse(again.out);
    ASSERT_EQ(doc["profiles"].size(), 3u);
    auto captions = [&](int profile) {
        std::vector<std::string> out;
        for (const auto& key : doc["profiles"][profile]["keys"]) {
            out.push_back(key["caption"]);
        }
        return out;
    };
    EXPECT_EQ(captions(0),
              (std::vector<std::string>{"G2Keys, Set: Function(Copy)", "AKeys, Set: Key(Shift)"}));
    EXPECT_EQ(captions(1), (std::vector<std::string>{"F5Keys, Set: Media(Mute)"}));
    EXPECT_EQ(captions(2), (std::vector<std::string>{"Caps LockKeys, Set: "}));

    // Straight on the keyboard: the active profile by default, back to default again.
    Expect(0, {"--virtual", "assign", "A", "default"});
    Expect(0, {"--virtual", "read", "--force", second.string()});
    shown = Expect(0, {"show", second.string()});
    EXPECT_EQ(shown.out.find("AKeys"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("F5Keys, Set: Media(Mute)"), std::string::npos);
}

TEST_F(ProgramTest, MacroAddThenShowAndAssign) {
    Expect(0, {"--virtual", "macro", "add", "--repeat", "2", "Burst", "+Shift", "+A", "t50", "-A",
               "-Shift"});
    Expect(0, {"--virtual", "assign", "F1", "macro:Burst x3"});
    // Right Win has no position in the keyboard's layout: an assignment the keyboard could not
    // keep is refused rather than dropped.
    const auto unplaced = Expect(2, {"--virtual", "assign", "Right Win", "macro:Burst"});
    EXPECT_NE(unplaced.err.find("no position"), std::string::npos) << unplaced.err;
    Expect(0, {"--virtual", "assign", "--bank", "B", "G9", "macro:Burst"});
    const auto listed = Expect(0, {"--virtual", "macro", "list"});
    EXPECT_NE(listed.out.find("Burst  repeat 3  actions 4: +Shift +A t50 -A -Shift"),
              std::string::npos)
        << listed.out;
    // A second macro of the same name is refused.
    Expect(2, {"--virtual", "macro", "add", "Burst", "+B"});

    const fs::path file = Path("macros.fwc");
    Expect(0, {"--virtual", "read", file.string()});
    const auto shown = Expect(0, {"show", "--json", file.string()});
    const auto doc = nlohmann::json::parse(shown.out);
    ASSERT_EQ(doc["macros"].size(), 1u);
    const auto& macro = doc["macros"][0];
    EXPECT_EQ(macro["name"], "Burst");
    EXPECT_EQ(macro["repeat"], 3);
    ASSERT_EQ(macro["actions"].size(), 4u);
    EXPECT_EQ(macro["actions"][1]["key"], "A");
    EXPECT_EQ(macro["actions"][1]["state"], "press");
    EXPECT_EQ(macro["actions"][1]["delay"], 50);
    EXPECT_EQ(macro["actions"][2]["state"], "release");
    ASSERT_EQ(doc["profiles"][0]["keys"].size(), 2u);
    EXPECT_EQ(doc["profiles"][0]["keys"][0]["caption"], "G9Keys, Set: Macro(Burst)");
    EXPECT_EQ(doc["profiles"][0]["keys"][1]["key"], "F1");
    EXPECT_EQ(doc["profiles"][0]["keys"][1]["kind"], "macro");
    EXPECT_EQ(doc["profiles"][0]["keys"][1]["caption"], "F1Keys, Set: Macro(Burst)");
}

TEST_F(ProgramTest, RemovingAMacroThatKeysPlayNeedsYes) {
    const fs::path file = Path("remove.fwc");
    Expect(0, {"macro", "add", "--create", "--file", file.string(), "One", "+A", "-A"});
    Expect(0, {"macro", "add", "--file", file.string(), "Two", "+B", "-B"});
    Expect(0, {"assign", "--file", file.string(), "F1", "macro:Two"});
    // stdin is no terminal: the question is answered No and the macro stays.
    const auto kept = Expect(2, {"macro", "remove", "--file", file.string(), "Two"});
    EXPECT_NE(kept.err.find("really need to remove this macro"), std::string::npos) << kept.err;
    auto shown = Expect(0, {"show", file.string()});
    EXPECT_NE(shown.out.find("F1Keys, Set: Macro(Two)"), std::string::npos);

    Expect(0, {"--yes", "macro", "remove", "--file", file.string(), "Two"});
    shown = Expect(0, {"show", file.string()});
    EXPECT_EQ(shown.out.find("F1Keys"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("macros (1)"), std::string::npos);
    // A macro no key plays goes without a question.
    Expect(0, {"macro", "remove", "--file", file.string(), "one"});
    Expect(2, {"macro", "remove", "--file", file.string(), "One"});
}

TEST_F(ProgramTest, MacrosLargerThanTheKeyboardAreRefusedWholesale) {
    const fs::path file = Path("big.fwc");
    std::vector<std::string> args = {"macro", "add", "--create", "--file", file.string(), "Long"};
    for (int i = 0; i < 600; ++i) {
        args.push_back(i % 2 == 0 ? "+A" : "-A");
    }
    Expect(0, args);
    args[5] = "Longer";
    Expect(0, args);
    const fs::path before = Path("before.fwc");
    Expect(0, {"--virtual", "read", before.string()});
    const auto refused = Expect(1, {"--virtual", "write", file.string()});
    EXPECT_NE(refused.err.find("Macro space exceeds the hardware space"), std::string::npos)
        << refused.err;
    const fs::path after = Path("after.fwc");
    Expect(0, {"--virtual", "read", after.string()});
    EXPECT_EQ(ReadText(before), ReadText(after));
}

}  // namespace
