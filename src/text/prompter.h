// How the core speaks to the user: a message box, or a Yes/No question with No as the default.
// The windows implement it with message boxes, the command-line tool on the terminal, tests with
// a recording fake. Callers pass the text's key and the text as the language table gives it,
// already filled in, so that implementations can show the text and tests can check the key.
#pragma once

#include <string_view>

#include "text/language_keys.h"

namespace qf::text {

class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void ShowMessage(TextId id, std::string_view text) = 0;
    // True for Yes. No is the default answer.
    [[nodiscard]] virtual bool AskYesNo(TextId id, std::string_view text) = 0;
};

}  // namespace qf::text
