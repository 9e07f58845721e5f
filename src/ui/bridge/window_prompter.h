// The prompter (text/prompter.h) for the windows: message boxes on the GUI thread, whichever
// thread asks. The caller waits until the user has answered; once closing has started a message
// returns at once and a question answers No.
#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <string_view>

#include "text/prompter.h"
#include "ui/bridge/gui_dispatcher.h"

namespace qf::ui {

// The boxes themselves, behind a seam so that tests never open one. GUI thread.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A message with an OK button.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // A Yes/No question, No the default. True for Yes.
    virtual bool AskYesNo(QWidget* parent, const QString& text) = 0;
};

// QMessageBox, with an empty caption.
class QtMessageBoxes final : public MessageBoxes {
public:
    void ShowMessage(QWidget* parent, const QString& text) override;
    bool AskYesNo(QWidget* parent, const QString& text) override;
};

class WindowPrompter final : public text::Prompter {
public:
    // `boxes` outlives the prompter.
    WindowPrompter(GuiDispatcher& gui, MessageBoxes& boxes) : gui_(gui), boxes_(&boxes) {}

    // The window the boxes belong to (none until the main window exists). GUI thread.
    void SetParent(QWidget* parent) { parent_ = parent; }

    // Any thread.
    void ShowMessage(text::TextId id, std::string_view text) override;
    [[nodiscard]] bool AskYesNo(text::TextId id, std::string_view text) override;

private:
    GuiDispatcher& gui_;
    MessageBoxes* boxes_;
    QPointer<QWidget> parent_;  // GUI thread only
};

}  // namespace qf::ui
