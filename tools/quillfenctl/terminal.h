// The terminal side of quillfenctl: the core's Prompter on stderr, and a progress line for long
// writes to the keyboard.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "text/prompter.h"

namespace qf::cli {

// Messages go to stderr. A Yes/No question is answered No (the default) unless `assumeYes`
// is set; when stdin is a terminal and `assumeYes` is not set, the user is asked.
class TerminalPrompter final : public text::Prompter {
public:
    explicit TerminalPrompter(bool assumeYes) : assumeYes_(assumeYes) {}

    void ShowMessage(text::TextId id, std::string_view text) override;
    [[nodiscard]] bool AskYesNo(text::TextId id, std::string_view text) override;
    // A question in the tool's own words, answered as AskYesNo answers.
    [[nodiscard]] bool Ask(std::string_view text);

    // Everything shown so far, in order (for callers that decide on what the core said).
    const std::vector<text::TextId>& shown() const { return shown_; }

private:
    bool assumeYes_;
    std::vector<text::TextId> shown_;
};

// "quillfenctl: " + the text, a line of its own on stderr. Language texts may carry "\r\n" and
// trailing blanks; both are tidied.
void PrintMessage(std::string_view text);

// Counts the macro memory bytes written to the keyboard and shows them as a progress line on
// stderr, only when stderr is a terminal. Fed with the control reports as they are written.
class MacroWriteProgress {
public:
    explicit MacroWriteProgress(std::uint32_t totalBytes);
    ~MacroWriteProgress();
    MacroWriteProgress(const MacroWriteProgress&) = delete;
    MacroWriteProgress& operator=(const MacroWriteProgress&) = delete;

    void OnReport(std::span<const std::uint8_t> report);

private:
    std::mutex mutex_;
    bool enabled_;
    std::uint32_t total_;
    std::uint32_t written_ = 0;
    bool shown_ = false;
};

}  // namespace qf::cli
