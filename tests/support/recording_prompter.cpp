#include "support/recording_prompter.h"

namespace qf::testing {

void RecordingPrompter::ShowMessage(text::TextId id, std::string_view text) {
    std::lock_guard lock(mutex_);
    messages.emplace_back(id, std::string(text));
}

bool RecordingPrompter::AskYesNo(text::TextId id, std::string_view /*text*/) {
    std::function<bool(text::TextId)> decider;
    {
        std::lock_guard lock(mutex_);
        questions.push_back(id);
        if (!decide) {
            return answer;
        }
        decider = decide;
    }
    // Outside the lock: a decision may show a message or ask again.
    return decider(id);
}

std::vector<std::pair<text::TextId, std::string>> RecordingPrompter::Shown() const {
    std::lock_guard lock(mutex_);
    return messages;
}

std::vector<text::TextId> RecordingPrompter::Questions() const {
    std::lock_guard lock(mutex_);
    return questions;
}

std::vector<text::TextId> RecordingPrompter::MessageIds() const {
    std::lock_guard lock(mutex_);
    std::vector<text::TextId> ids;
    for (const auto& [id, text] : messages) {
        ids.push_back(id);
    }
    return ids;
}

}  // namespace qf::testing
