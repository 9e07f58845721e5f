// Measures the start of a notification-area program on an X display with a tray host running:
// the time from exec to the program's icon docked in the tray, the time until it is idle (under
// 2 % of one CPU for 200 ms), its peak resident memory, and the time from SIGTERM to its exit.
// Two or more programs are measured in interleaved runs, so all see the same machine, and the
// medians and their ratios to the last program are printed.
//
//   startup_probe --tray WINDOW --runs 7 --name quillfen -- PROG ARGS...
//                 --name bare -- PROG ARGS...      (one command line)
//
// WINDOW is the tray host's window (trayer's "panel"); an icon counts as docked once that window
// holds a socket window with a client inside it.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr auto kPoll = std::chrono::milliseconds(2);
constexpr auto kIdleWindow = std::chrono::milliseconds(200);
constexpr auto kCpuSample = std::chrono::milliseconds(20);
constexpr double kIdleShare = 0.02;
constexpr auto kGiveUp = std::chrono::seconds(30);

struct Program {
    std::string name;
    std::vector<std::string> argv;
};

struct Run {
    double dockMs = -1;
    double idleMs = -1;
    double rssMb = -1;
    double exitMs = -1;
};

// Child windows of `window`.
std::vector<xcb_window_t> Children(xcb_connection_t* connection, xcb_window_t window) {
    std::vector<xcb_window_t> out;
    xcb_query_tree_reply_t* reply =
        xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr);
    if (reply == nullptr) {
        return out;
    }
    const xcb_window_t* children = xcb_query_tree_children(reply);
    out.assign(children, children + xcb_query_tree_children_length(reply));
    std::free(reply);
    return out;
}

bool Docked(xcb_connection_t* connection, xcb_window_t tray) {
    for (const xcb_window_t socket : Children(connection, tray)) {
        if (!Children(connection, socket).empty()) {
            return true;
        }
    }
    return false;
}

// CPU time (user + system) of a process in clock ticks; nothing once it is gone.
std::optional<long long> CpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) {
        return std::nullopt;
    }
    // Fields after the command name, which ends at the last ')'.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    long long utime = 0;
    long long stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) {
            utime = std::stoll(field);
        } else if (i == 15) {
            stime = std::stoll(field);
        }
    }
    return utime + stime;
}

double PeakRssMb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;
        }
    }
    return -1;
}

pid_t Launch(const Program& program) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        std::vector<char*> argv;
        for (const std::string& arg : program.argv) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

Run Measure(xcb_connection_t* connection, xcb_window_t tray, const Program& program) {
    Run run;
    const auto start = Clock::now();
    const pid_t pid = Launch(program);
    if (pid < 0) {
        return run;
    }
    const double tick = 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
    // Docked.
    while (Clock::now() - start < kGiveUp) {
        if (Docked(connection, tray)) {
            run.dockMs = Ms(Clock::now() - start).count();
            break;
        }
        std::this_thread::sleep_for(kPoll);
    }
    // Idle: CPU under the share for a whole window, sampled in small steps; the window's
    // start is the moment it became idle.
    struct Sample {
        Clock::time_point at;
        long long ticks;
    };
    std::vector<Sample> samples;
    while (Clock::now() - start < kGiveUp) {
        const std::optional<long long> ticks = CpuTicks(pid);
        if (!ticks) {
            break;
        }
        const auto now = Clock::now();
        samples.push_back({now, *ticks});
        // The oldest sample at least a window old.
        const Sample* from = nullptr;
        for (const Sample& s : samples) {
            if (now - s.at >= kIdleWindow) {
                from = &s;
            }
        }
        if (from != nullptr && run.dockMs >= 0) {
            const double cpuMs = static_cast<double>(*ticks - from->ticks) * tick;
            const double wallMs = Ms(now - from->at).count();
            if (cpuMs <= kIdleShare * wallMs) {
                run.idleMs = Ms(from->at - start).count();
                break;
            }
        }
        std::this_thread::sleep_for(kCpuSample);
    }
    run.rssMb = PeakRssMb(pid);
    // SIGTERM to exit.
    const auto term = Clock::now();
    kill(pid, SIGTERM);
    int status = 0;
    while (true) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            run.exitMs = Ms(Clock::now() - term).count();
            break;
        }
        if (Clock::now() - term > std::chrono::seconds(10)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    // The next run starts with an empty tray.
    const auto leave = Clock::now();
    while (Docked(connection, tray) && Clock::now() - leave < std::chrono::seconds(5)) {
        std::this_thread::sleep_for(kPoll);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return run;
}

double Median(std::vector<double> values) {
    values.erase(std::remove_if(values.begin(), values.end(), [](double v) { return v < 0; }),
                 values.end());
    if (values.empty()) {
        return -1;
    }
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: startup_probe --tray WINDOW [--runs N] --name A -- PROG... "
                 "--name B -- PROG... [--name C -- PROG...]\n"
                 "(ratios are against the last program)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    xcb_window_t tray = 0;
    int runs = 7;
    std::vector<Program> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tray" && i + 1 < argc) {
            tray = static_cast<xcb_window_t>(std::strtoul(argv[++i], nullptr, 0));
        } else if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--name" && i + 2 < argc && std::string(argv[i + 2]) == "--") {
            Program program{argv[i + 1], {}};
            i += 3;
            for (; i < argc && std::string(argv[i]) != "--name"; ++i) {
                program.argv.emplace_back(argv[i]);
            }
            --i;
            programs.push_back(std::move(program));
        } else {
            return Usage();
        }
    }
    if (tray == 0 || programs.size() < 2 ||
        std::any_of(programs.begin(), programs.end(),
                    [](const Program& program) { return program.argv.empty(); })) {
        return Usage();
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "startup_probe: no X display\n");
        return 1;
    }

    std::vector<std::vector<Run>> results(programs.size());
    for (int r = 0; r < runs; ++r) {
        for (std::size_t p = 0; p < programs.size(); ++p) {
            results[p].push_back(Measure(connection, tray, programs[p]));
            const Run& run = results[p].back();
            std::printf(
                "run %d %-10s docked %7.1f ms  idle %7.1f ms  peak RSS %6.1f MB  "
                "SIGTERM->exit %6.1f ms\n",
                r + 1, programs[p].name.c_str(), run.dockMs, run.idleMs, run.rssMb, run.exitMs);
            std::fflush(stdout);
        }
    }
    std::printf("\nmedians of %d interleaved runs\n", runs);
    std::printf("%-10s %10s %10s %12s %16s\n", "program", "docked ms", "idle ms", "peak RSS MB",
                "SIGTERM->exit ms");
    std::vector<std::vector<double>> medians;
    for (std::size_t p = 0; p < programs.size(); ++p) {
        std::vector<double> dock, idle, rss, ending;
        for (const Run& run : results[p]) {
            dock.push_back(run.dockMs);
            idle.push_back(run.idleMs);
            rss.push_back(run.rssMb);
            ending.push_back(run.exitMs);
        }
        medians.push_back({Median(dock), Median(idle), Median(rss), Median(ending)});
        std::printf("%-10s %10.1f %10.1f %12.1f %16.1f\n", programs[p].name.c_str(), medians[p][0],
                    medians[p][1], medians[p][2], medians[p][3]);
    }
    // Every program against the last one, the baseline.
    const std::size_t base = programs.size() - 1;
    for (std::size_t p = 0; p < base; ++p) {
        std::printf("ratio %s/%s: docked %.2fx, idle %.2fx, peak RSS %.2fx\n",
                    programs[p].name.c_str(), programs[base].name.c_str(),
                    medians[p][0] / medians[base][0], medians[p][1] / medians[base][1],
                    medians[p][2] / medians[base][2]);
    }
    xcb_disconnect(connection);
    return 0;
}
