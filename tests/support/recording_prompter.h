// The prompter of the tests: it records every message and question and answers each question
// with `answer` (No unless told), or with `decide` when that is set.
//
// Tests that run everything on their own thread read and change the fields directly. When the
// prompts come from another thread (the window thread of the monitor tests), the fields must
// only be read through Shown() and Questions(), which take the prompter's lock.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/prompter.h"

namespace qf::testing {

class RecordingPrompter final : public text::Prompter {
public:
    void ShowMessage(text::TextId id, std::string_view text) override;
    [[nodiscard]] bool AskYesNo(text::TextId id, std::string_view text) override;

    std::vector<std::pair<text::TextId, std::string>> Shown() const;
    std::vector<text::TextId> Questions() const;
    // The ids of the messages shown, in order.
    std::vector<text::TextId> MessageIds() const;

    std::vector<std::pair<text::TextId, std::string>> messages;
    std::vector<text::TextId> questions;
    bool answer = false;
    std::function<bool(text::TextId)> decide;

private:
    mutable std::mutex mutex_;
};

}  // namespace qf::testing
