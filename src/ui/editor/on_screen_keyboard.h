// The desktop's on-screen keyboard, which the assignment editor offers for keys the user's own
// keyboard lacks. The editor hides its button where none is installed.
#pragma once

#include <QString>

namespace qf::ui {

class OnScreenKeyboard {
public:
    virtual ~OnScreenKeyboard() = default;
    [[nodiscard]] virtual bool Available() const = 0;
    // Starts it, detached from this program. False when it could not be started.
    virtual bool Open() = 0;
};

// A program found on the search path: `onboard` unless another is named.
class SystemOnScreenKeyboard final : public OnScreenKeyboard {
public:
    explicit SystemOnScreenKeyboard(QString program = QStringLiteral("onboard"))
        : program_(std::move(program)) {}

    [[nodiscard]] bool Available() const override;
    bool Open() override;

private:
    QString program_;
};

}  // namespace qf::ui
