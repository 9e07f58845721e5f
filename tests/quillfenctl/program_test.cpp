// The built quillfenctl program, run against the virtual keyboard as a user runs it: each run
// is a new process that finds the keyboard's memory where the previous run left it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "macros/macro_image.h"
#include "profiles/profile_store.h"
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

    // Runs the program. `env` adds variables; `terminal`, when set, makes stdin a terminal on
    // which that text has been typed.
    RunResult Run(const std::vector<std::string>& args,
                  const std::vector<std::string>& extraEnv = {},
                  const std::optional<std::string>& terminal = std::nullopt) {
        std::vector<std::string> env = {
            "HOME=" + (dir_ / "home").string(),
            "XDG_STATE_HOME=" + (dir_ / "state").string(),
            "XDG_CONFIG_HOME=" + (dir_ / "config").string(),
            // The windowed program's instance lock lives here: never the user's own.
            "XDG_RUNTIME_DIR=" + (dir_ / "run").string(),
            "PATH=/usr/bin:/bin",
        };
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        int master = -1;
        std::string slave;
        if (terminal) {
            master = ::posix_openpt(O_RDWR | O_NOCTTY);
            if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
                ADD_FAILURE() << "no pseudo-terminal";
                return {};
            }
            slave = ::ptsname(master);
            // Typed before the program starts: the terminal keeps the line until it is read.
            (void)!::write(master, terminal->data(), terminal->size());
        }
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
        posix_spawn_file_actions_addopen(&actions, 0, terminal ? slave.c_str() : "/dev/null",
                                         terminal ? O_RDWR | O_NOCTTY : O_RDONLY, 0);
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
        if (master >= 0) {
            ::close(master);
        }
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.out = ReadText(out);
        result.err = ReadText(err);
        return result;
    }

    // Runs and expects exit code `code`, showing the output when it differs.
    RunResult Expect(int code, const std::vector<std::string>& args,
                     const std::vector<std::string>& extraEnv = {},
                     const std::optional<std::string>& terminal = std::nullopt) {
        RunResult r = Run(args, extraEnv, terminal);
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
    // The trace of a run that found no keyboard still says what made it.
    const fs::path trace = Path("t.txt");
    Expect(1, {"--trace", trace.string(), "--device-service", QF_EMPTY_SERVICE_PATH, "info"});
    const auto lines = SplitLines(ReadText(trace));
    ASSERT_GE(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("# quillfenctl ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("; device service " + std::string(QF_EMPTY_SERVICE_PATH) + "; "),
              std::string::npos)
        << lines[0];
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

    const auto switched = Expect(0, {"--virtual", "profile", "2"});
    EXPECT_EQ(switched.out,
              "active profile: 2 (was 0); to undo: quillfenctl --virtual profile 0\n");
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
    if (qf::text::LoadIniFile(install / "Skins" / "Main.ini", layout) !=
            qf::text::IniLoadResult::Loaded ||
        qf::text::LoadIniFile(install / "Skins" / "language.ini", language) !=
            qf::text::IniLoadResult::Loaded) {
        GTEST_SKIP() << "no skin beside " << program_;
    }
    const int setting = qf::text::LanguageSetting(language);
    Expect(0, {"--virtual", "lighting", "set", "mode=4"});
    const auto shown = Expect(0, {"--virtual", "lighting", "show"});
    const std::string name = qf::text::ModeName(layout, setting, 4);
    EXPECT_NE(shown.out.find("mode=4 (" + name + ")"), std::string::npos) << shown.out;

    Expect(0, {"--virtual", "assign", "F5", "media:Mute"});
    Expect(0, {"--virtual", "read", Path("k.fwc").string()});
    // The JSON form gives each key's caption as the key button shows it.
    const auto listed = Expect(0, {"show", "--json", Path("k.fwc").string()});
    const auto doc = nlohmann::json::parse(listed.out);
    ASSERT_EQ(doc["profiles"][0]["keys"].size(), 1u) << listed.out;
    const std::string caption = doc["profiles"][0]["keys"][0]["caption"];
    const std::string section(qf::text::LanguageSectionFor(setting));
    const std::string set = language.GetString(section, "KEY_PROMPT_SET", "");
    const std::string media = language.GetString(section, "KEY_PROMPT_MEDIA", "");
    EXPECT_EQ(caption.rfind("F5" + set + media, 0), 0u) << caption;
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
    // In the tool's own words; the window's captions are in the JSON form.
    EXPECT_NE(shown.out.find("  A\tkey Shift\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("  Caps Lock\tnothing (disabled)\n"), std::string::npos);
    EXPECT_NE(shown.out.find("  F5\tmedia function Mute\n"), std::string::npos);
    EXPECT_NE(shown.out.find("  G2 (bank B)\tkeyboard function Copy\n"), std::string::npos);

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
    EXPECT_EQ(shown.out.find("  A\t"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("  F5\tmedia function Mute"), std::string::npos);
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
    EXPECT_NE(shown.out.find("  F1\tmacro \"Two\" (played 1 time)"), std::string::npos)
        << shown.out;

    const auto removed = Expect(0, {"--yes", "macro", "remove", "--file", file.string(), "Two"});
    EXPECT_NE(removed.out.find("to add it again: quillfenctl macro add --file " + file.string() +
                               " --repeat 1 Two +B -B\n"),
              std::string::npos)
        << removed.out;
    shown = Expect(0, {"show", file.string()});
    EXPECT_EQ(shown.out.find("  F1\t"), std::string::npos) << shown.out;
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

// ---- Failures name their code and place; exit codes are exact ----

class FaultTest : public ProgramTest {
protected:
    // Runs against the virtual keyboard's device service library, which fails at the report
    // `fault` names (none when empty) and keeps its memory across the runs of one test.
    RunResult ExpectFaulty(int code, const std::string& fault, std::vector<std::string> args) {
        args.insert(args.begin(), {"--device-service", QF_VIRTUAL_SERVICE_PATH});
        std::vector<std::string> env = {"QUILLFEN_VIRTUAL_STATE=" + Path("faulty.state").string()};
        if (!fault.empty()) {
            env.push_back("QUILLFEN_VIRTUAL_FAULT=" + fault);
        }
        return Expect(code, args, env);
    }
};

TEST_F(FaultTest, DeviceFailuresNameTheResultAndTheReport) {
    // The keyboard answers 0xFF to the device info request.
    const auto info = ExpectFaulty(1, "status@3:0", {"info"});
    EXPECT_NE(info.err.find("reading the device info failed: device result -102 (status 0xFF) "
                            "at command 3 (read device info)"),
              std::string::npos)
        << info.err;

    // The second chunk of profile 1's keymap (address 512 + 56) is refused while it is read:
    // nothing is written to the file.
    const fs::path target = Path("read.fwc");
    const auto read = ExpectFaulty(1, "refuse@7:568", {"read", target.string()});
    EXPECT_NE(read.err.find("keymap 1 cannot be read"), std::string::npos) << read.err;
    EXPECT_NE(read.err.find("device result -1 (write refused) at command 7 (read keymap), "
                            "profile 1, chunk 2 of 10 (bytes 56..111)"),
              std::string::npos)
        << read.err;
    EXPECT_FALSE(fs::exists(target));

    // A write that fails part-way says which report of the transfer failed first.
    ExpectFaulty(0, "", {"read", target.string()});
    const auto write = ExpectFaulty(1, "status@8:1080", {"write", target.string()});
    EXPECT_NE(write.err.find("writing to the keyboard failed: device result -102 (status 0xFF) "
                             "at command 8 (write keymap), profile 2, chunk 2 of 10 "
                             "(bytes 56..111)"),
              std::string::npos)
        << write.err;
}

TEST_F(FaultTest, VerifyReportsTheFirstDifferenceOfTheReadBack) {
    const fs::path file = Path("v.fwc");
    ExpectFaulty(0, "", {"read", file.string()});
    Expect(0, {"assign", "--file", file.string(), "--profile", "1", "A", "key:B"});
    const auto good = ExpectFaulty(0, "", {"write", "--verify", file.string()});
    EXPECT_NE(good.err.find("verify: the keymaps of profiles 0, 1, 2 and "), std::string::npos)
        << good.err;
    EXPECT_NE(good.err.find("bytes of macro memory read back as written"), std::string::npos)
        << good.err;
    // The read-back of profile 1's second chunk comes back garbled.
    const auto bad = ExpectFaulty(1, "garble@7:568", {"write", "--verify", file.string()});
    const std::regex difference(
        "verify: the keyboard does not hold what was written: first difference at keymap of "
        "profile 1, byte (5[6-9]|[6-9][0-9]|10[0-9]|11[01]) \\(chunk 2\\): written 0x[0-9a-f]{2}, "
        "read back 0x[0-9a-f]{2}");
    EXPECT_TRUE(std::regex_search(bad.err, difference)) << bad.err;
    // assign --verify reads back the profile it wrote.
    const auto assigned = ExpectFaulty(0, "", {"assign", "--verify", "B", "key:C"});
    EXPECT_NE(assigned.err.find("verify: the keymaps of profiles 0 and"), std::string::npos)
        << assigned.err;
}

TEST_F(ProgramTest, FileProblemsExitWithThree) {
    // A "folder" that is a file: no one, root included, can write into it.
    const fs::path notAFolder = Path("plain");
    WriteBytes(notAFolder, "x");
    Expect(3, {"--virtual", "read", (notAFolder / "k.fwc").string()});
    if (::geteuid() != 0) {
        const fs::path locked = Path("locked");
        fs::create_directories(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        Expect(3, {"--virtual", "read", (locked / "k.fwc").string()});
        fs::permissions(locked, fs::perms::owner_all);
    }
    const auto trace = Expect(3, {"--virtual", "--trace", (notAFolder / "t.txt").string(), "info"});
    EXPECT_NE(trace.err.find("cannot write the trace file"), std::string::npos) << trace.err;
    Expect(3, {"--virtual-state", (notAFolder / "k.state").string(), "info"});
    Expect(3, {"--virtual", "write", Path("absent.fwc").string()});

    // A change the virtual keyboard's state file cannot keep is a failure, not a success that
    // is gone on the next run; reading is still fine.
    const std::string state = Path("ro.state").string();
    Expect(0, {"--virtual-state", state, "info"});
    fs::permissions(state, fs::perms::owner_read | fs::perms::group_read);
    const auto lost = Expect(3, {"--virtual-state", state, "profile", "1"});
    EXPECT_NE(lost.err.find("cannot be written"), std::string::npos) << lost.err;
    const auto now = Expect(0, {"--virtual-state", state, "profile"});
    EXPECT_NE(now.out.find("active profile: 0"), std::string::npos) << now.out;
}

// ---- Names ----

TEST_F(ProgramTest, VersionCommandsAndNamesNameWhatIsValid) {
    const auto version = Expect(0, {"--version"});
    EXPECT_TRUE(std::regex_match(version.out, std::regex("quillfenctl [0-9]+\\.[0-9]+\\.[0-9]+\n")))
        << version.out;
    const auto help = Expect(0, {"--help"});
    EXPECT_NE(help.out.find("quillfenctl list keys | media | functions | modes"), std::string::npos)
        << help.out;

    const auto unknown = Expect(2, {"--virtual", "infp"});
    EXPECT_NE(unknown.err.find("unknown command \"infp\" (did you mean \"info\"?); the commands "
                               "are: info, profile, read, write"),
              std::string::npos)
        << unknown.err;
    const auto none = Expect(2, {"--virtual"});
    EXPECT_NE(none.err.find("no command given"), std::string::npos) << none.err;
    const auto sub = Expect(2, {"lighting", "sho"});
    EXPECT_NE(sub.err.find("unknown command \"lighting sho\" (did you mean \"show\"?); "
                           "\"lighting\" has: show, set, zone"),
              std::string::npos)
        << sub.err;

    const auto key = Expect(2, {"--virtual", "assign", "Caps Lck", "default"});
    EXPECT_NE(key.err.find("unknown key \"Caps Lck\" (did you mean \"Caps Lock\"?)"),
              std::string::npos)
        << key.err;
    const auto media = Expect(2, {"--virtual", "assign", "F1", "media:Mutte"});
    EXPECT_NE(media.err.find("(did you mean \"Mute\"?)"), std::string::npos) << media.err;
    const auto function = Expect(2, {"--virtual", "assign", "F1", "function:Coppy"});
    EXPECT_NE(function.err.find("(did you mean \"Copy\"?)"), std::string::npos) << function.err;
    const auto mode = Expect(2, {"--virtual", "lighting", "set", "mode=Statik"});
    EXPECT_NE(mode.err.find("(did you mean \"Static\"?)"), std::string::npos) << mode.err;
    const auto setting = Expect(2, {"--virtual", "lighting", "set", "brightnes=2"});
    EXPECT_NE(setting.err.find("(did you mean \"brightness\"?)"), std::string::npos) << setting.err;

    // Every listed name is one the commands take.
    const auto keys = SplitLines(Expect(0, {"list", "keys"}).out);
    EXPECT_NE(std::find(keys.begin(), keys.end(), "Caps Lock"), keys.end());
    EXPECT_NE(std::find(keys.begin(), keys.end(), "G9"), keys.end());
    const auto mediaNames = SplitLines(Expect(0, {"list", "media"}).out);
    ASSERT_FALSE(mediaNames.empty());
    Expect(0, {"assign", "--create", "--file", Path("n.fwc").string(), "F2",
               "media:" + mediaNames.back()});
    const auto functions = SplitLines(Expect(0, {"list", "functions"}).out);
    ASSERT_FALSE(functions.empty());
    Expect(0, {"assign", "--file", Path("n.fwc").string(), "F3", "function:" + functions.back()});
    const auto modes = Expect(0, {"list", "modes"});
    EXPECT_NE(modes.out.find("4\tStatic\n"), std::string::npos) << modes.out;
    const auto wrong = Expect(2, {"list", "key"});
    EXPECT_NE(wrong.err.find("(did you mean \"keys\"?)"), std::string::npos) << wrong.err;
}

TEST_F(ProgramTest, InfoAsJson) {
    const auto info = Expect(0, {"--virtual", "info", "--json"});
    const auto doc = nlohmann::json::parse(info.out);
    EXPECT_EQ(doc["activeProfile"], 0);
    EXPECT_EQ(doc["macroMemoryBytes"], 4096);
    ASSERT_FALSE(doc["modes"].empty());
    bool zones = false;
    for (const auto& m : doc["modes"]) {
        zones = zones || (m["code"] == 8 && m["name"] == "Custom zones");
    }
    EXPECT_TRUE(zones) << info.out;
}

// ---- Confirmations ----

// Splits a command line as a shell would, for the words in double quotes.
std::vector<std::string> ShellWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool any = false;
    for (const char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any) {
                words.push_back(word);
            }
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) {
        words.push_back(word);
    }
    return words;
}

TEST_F(ProgramTest, ConfirmationsSayWhatChangedWhereAndHowToUndoIt) {
    const std::string state = Path("k.state").string();
    Expect(0, {"--virtual-state", state, "assign", "Caps Lock", "key:Ctrl"});
    const auto disabled = Expect(0, {"--virtual-state", state, "assign", "Caps Lock", "disable"});
    const auto lines = SplitLines(disabled.out);
    ASSERT_EQ(lines.size(), 2u) << disabled.out;
    EXPECT_EQ(lines[0],
              "Caps Lock in profile 0 of the keyboard now does nothing (disabled) (before: key "
              "Ctrl)");
    EXPECT_EQ(lines[1], "to undo: quillfenctl --virtual-state " + state +
                            " assign --profile 0 \"Caps Lock\" key:Ctrl");
    // The undo line does what it says.
    auto undo = ShellWords(lines[1].substr(std::string("to undo: quillfenctl ").size()));
    const auto undone = Expect(0, undo);
    EXPECT_EQ(SplitLines(undone.out)[0],
              "Caps Lock in profile 0 of the keyboard now does key Ctrl (before: nothing "
              "(disabled))");

    const auto g = Expect(0, {"--virtual-state", state, "assign", "--profile", "2", "--bank", "B",
                              "G4", "media:Mute"});
    EXPECT_EQ(SplitLines(g.out)[0],
              "G4 of bank B in profile 2 of the keyboard now does media function Mute (before: "
              "its default function)")
        << g.out;

    const fs::path file = Path("c.fwc");
    const auto created =
        Expect(0, {"assign", "--create", "--file", file.string(), "F1", "function:Copy"});
    EXPECT_NE(created.out.find("F1 in profile 0 of " + file.string() +
                               " (a new file) now does keyboard function Copy"),
              std::string::npos)
        << created.out;
    // A file has nothing to read back.
    Expect(2, {"assign", "--verify", "--file", file.string(), "F1", "default"});
}

// ---- Macros: waits, repeat counts, names that do not fit ----

TEST_F(ProgramTest, WaitsTheKeyboardCannotHoldAreNeverChangedSilently) {
    const auto refused = Expect(2, {"--virtual", "macro", "add", "M", "+A", "t5", "-A"});
    EXPECT_NE(refused.err.find("make it 0 ms (no wait) or 10 ms"), std::string::npos)
        << refused.err;
    Expect(2, {"--virtual", "macro", "add", "M", "+A", "t4095", "-A"});

    // A file made elsewhere may hold such waits: writing it says each wait that changes.
    const fs::path file = Path("w.fwc");
    Expect(0, {"macro", "add", "--create", "--file", file.string(), "M", "+A", "t10", "-A", "t20",
               "+B"});
    qf::profiles::StoreContents contents;
    ASSERT_EQ(qf::profiles::ReadProfileFile(file, contents), 1);
    ASSERT_EQ(contents.macros.size(), 1u);
    contents.macros[0].actions[0].delay = 5;
    contents.macros[0].actions[1].delay = 4095;
    ASSERT_EQ(qf::profiles::WriteProfileFile(file, contents), 1);
    const auto written = Expect(0, {"--virtual", "write", file.string()});
    EXPECT_NE(written.err.find("macro \"M\": the wait after action 1 (+A) is 5 ms; the keyboard "
                               "keeps 0 ms"),
              std::string::npos)
        << written.err;
    EXPECT_NE(written.err.find("the wait after action 2 (-A) is 4095 ms; the keyboard keeps "
                               "4090 ms"),
              std::string::npos)
        << written.err;
    EXPECT_EQ(written.err.find("action 3"), std::string::npos) << written.err;
}

TEST_F(ProgramTest, RepeatCountsBelongToTheMacro) {
    const std::string state = Path("k.state").string();
    Expect(0, {"--virtual-state", state, "macro", "add", "Burst", "+A", "-A"});
    Expect(0, {"--virtual-state", state, "assign", "F1", "macro:Burst"});
    const auto x3 = Expect(0, {"--virtual-state", state, "assign", "F2", "macro:Burst x3"});
    EXPECT_NE(x3.out.find("macro \"Burst\" now plays 3 times (was 1) on every key that plays it; "
                          "to undo: quillfenctl --virtual-state " +
                          state + " macro set --repeat 1 Burst\n"),
              std::string::npos)
        << x3.out;
    const auto set =
        Expect(0, {"--virtual-state", state, "macro", "set", "--repeat", "5", "burst"});
    EXPECT_EQ(set.out,
              "macro \"Burst\" now plays 5 times (was 3) on every key that plays it (2 "
              "keys)\nto undo: quillfenctl --virtual-state " +
                  state + " macro set --repeat 3 Burst\n");
    const auto listed = Expect(0, {"--virtual-state", state, "macro", "list"});
    EXPECT_NE(listed.out.find("Burst  repeat 5"), std::string::npos) << listed.out;
    Expect(2, {"--virtual-state", state, "macro", "set", "--repeat", "0", "Burst"});
    const auto missing =
        Expect(2, {"--virtual-state", state, "macro", "set", "--repeat", "2", "Bust"});
    EXPECT_NE(missing.err.find("(did you mean \"Burst\"?)"), std::string::npos) << missing.err;
}

TEST_F(ProgramTest, MacrosThatFitOnlyWithoutNamesAreWrittenOnlyWhenTheUserSaysSo) {
    const fs::path file = Path("names.fwc");
    for (const char* first : {"A", "B"}) {
        std::vector<std::string> args = {"macro",       "add",
                                         "--create",    "--file",
                                         file.string(), std::string(first) + std::string(200, 'n')};
        for (int i = 0; i < 450; ++i) {
            args.push_back(i % 2 == 0 ? "+A" : "-A");
        }
        Expect(0, args);
    }
    qf::profiles::StoreContents contents;
    ASSERT_EQ(qf::profiles::ReadProfileFile(file, contents), 1);
    const auto sizes = qf::macros::MacroImageSizes(contents.macros);
    ASSERT_GT(sizes.withNames, 4096u);
    ASSERT_LE(sizes.withoutNames, 4096u);

    const fs::path before = Path("before.fwc");
    Expect(0, {"--virtual", "read", before.string()});
    // No terminal: the question is answered No, and nothing is written.
    const auto declined = Expect(2, {"--virtual", "write", file.string()});
    EXPECT_NE(declined.err.find(std::to_string(sizes.withNames - 4096) + " bytes missing"),
              std::string::npos)
        << declined.err;
    EXPECT_NE(declined.err.find("not asked, stdin is not a terminal"), std::string::npos);
    // At a terminal, No keeps the keyboard as it was too.
    Expect(2, {"--virtual", "write", file.string()}, {}, "n\n");
    const fs::path after = Path("after.fwc");
    Expect(0, {"--virtual", "read", after.string()});
    EXPECT_EQ(ReadText(before), ReadText(after));
    // Yes at the terminal writes them without their names.
    Expect(0, {"--virtual", "write", file.string()}, {}, "y\n");
    const auto listed = Expect(0, {"--virtual", "macro", "list"});
    EXPECT_NE(listed.out.find("macros (2)"), std::string::npos) << listed.out;
    EXPECT_EQ(listed.out.find(std::string(200, 'n')), std::string::npos) << listed.out;
}

// ---- Files that exist, files that do not ----

TEST_F(ProgramTest, ReplacingOrCreatingAFileIsAskedFor) {
    const fs::path file = Path("k.fwc");
    WriteBytes(file, "old");
    const auto kept = Expect(2, {"--virtual", "read", file.string()});
    EXPECT_NE(kept.err.find("exists: replace it"), std::string::npos) << kept.err;
    EXPECT_EQ(ReadText(file), "old");
    Expect(2, {"--virtual", "read", file.string()}, {}, "n\n");
    EXPECT_EQ(ReadText(file), "old");
    Expect(0, {"--virtual", "read", file.string()}, {}, "y\n");
    Expect(0, {"validate", file.string()});
    Expect(0, {"--virtual", "read", "--force", file.string()});
    Expect(0, {"--virtual", "--yes", "read", file.string()});

    // A misspelt file name is not quietly made.
    const fs::path typo = Path("k2.fwc");
    const auto refused = Expect(2, {"assign", "--file", typo.string(), "A", "disable"});
    EXPECT_NE(refused.err.find("does not exist"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(typo));
    Expect(2, {"macro", "add", "--file", typo.string(), "M", "+A"});
    EXPECT_FALSE(fs::exists(typo));
    Expect(0, {"assign", "--file", typo.string(), "A", "disable"}, {}, "y\n");
    EXPECT_TRUE(fs::exists(typo));
}

// ---- The windowed program ----

TEST_F(ProgramTest, WritingCommandsWaitForTheWindowedProgramToClose) {
    const fs::path run = dir_ / "run";
    fs::create_directories(run);
    const fs::path lock = run / ("quillfen-" + std::to_string(::getuid()) + ".lock");
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);

    const std::string state = Path("k.state").string();
    const auto refused = Expect(1, {"--virtual-state", state, "assign", "A", "disable"});
    EXPECT_NE(refused.err.find("the windowed program quillfen runs (" + lock.string()),
              std::string::npos)
        << refused.err;
    Expect(1, {"--virtual-state", state, "profile", "1"});
    Expect(1, {"--virtual-state", state, "lighting", "set", "brightness=1"});
    Expect(1, {"--virtual-state", state, "macro", "add", "M", "+A"});
    // Nothing was written: the keyboard was not even opened.
    EXPECT_FALSE(fs::exists(state));
    // Reading goes ahead, and so does changing a file.
    Expect(0, {"--virtual-state", state, "info"});
    Expect(0, {"--virtual-state", state, "read", Path("k.fwc").string()});
    Expect(0, {"assign", "--file", Path("k.fwc").string(), "A", "disable"});
    // --force goes ahead, and says what it risks.
    const auto forced = Expect(0, {"--virtual-state", state, "--force", "assign", "A", "disable"});
    EXPECT_NE(forced.err.find("its next Apply may undo this change"), std::string::npos);

    ::close(fd);
    Expect(0, {"--virtual-state", state, "assign", "A", "default"});
}

}  // namespace
