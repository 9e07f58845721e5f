#include "terminal.h"

#include <unistd.h>

#include <iostream>

#include "device/commands.h"
#include "device/report.h"

namespace qf::cli {

namespace {

std::string Tidy(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c != '\r') {
            out += c;
        }
    }
    while (!out.empty() && (out.back() == ' ' || out.back() == '\n' || out.back() == '\t')) {
        out.pop_back();
    }
    return out;
}

}  // namespace

void PrintMessage(std::string_view text) {
    std::cerr << "quillfenctl: " << Tidy(text) << '\n';
}

void TerminalPrompter::ShowMessage(text::TextId id, std::string_view text) {
    shown_.push_back(id);
    PrintMessage(text);
}

bool TerminalPrompter::AskYesNo(text::TextId id, std::string_view text) {
    shown_.push_back(id);
    return Ask(text);
}

bool TerminalPrompter::Ask(std::string_view text) {
    if (assumeYes_) {
        PrintMessage(std::string(Tidy(text)) + " [yes: --yes given]");
        return true;
    }
    if (isatty(STDIN_FILENO) == 0) {
        PrintMessage(std::string(Tidy(text)) + " [no: not asked, stdin is not a terminal]");
        return false;
    }
    std::cerr << "quillfenctl: " << Tidy(text) << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) {
        return false;
    }
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes";
}

MacroWriteProgress::MacroWriteProgress(std::uint32_t totalBytes)
    : enabled_(isatty(STDERR_FILENO) != 0 && totalBytes > 0), total_(totalBytes) {}

MacroWriteProgress::~MacroWriteProgress() {
    if (shown_) {
        std::cerr << '\n';
    }
}

void MacroWriteProgress::OnReport(std::span<const std::uint8_t> report) {
    if (!enabled_ || report.size() <= device::report::kParameter ||
        report[device::report::kCommand] !=
            static_cast<std::uint8_t>(device::Command::WriteMacroArea)) {
        return;
    }
    std::lock_guard lock(mutex_);
    // A retried report is counted again; the line never passes the total.
    written_ += report[device::report::kParameter];
    const std::uint32_t shown = written_ > total_ ? total_ : written_;
    std::cerr << "\rwriting macro memory: " << shown << " / " << total_ << " bytes ("
              << (100u * shown / total_) << " %)" << std::flush;
    shown_ = true;
}

}  // namespace qf::cli
