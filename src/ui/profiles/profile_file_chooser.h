// The profile manager's file dialogs on the platform's file dialog: a save dialog for New, an
// open dialog for Load, both for ".fwc" files.
//
// GUI thread only.
#pragma once

#include <QPointer>
#include <QWidget>

#include "presenters/profile_manager.h"

namespace qf::ui {

class QtProfileFileChooser final : public presenters::ProfileFileChooser {
public:
    // The dialogs open over `parent` (the profile manager), which may be set later.
    explicit QtProfileFileChooser(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    [[nodiscard]] std::optional<std::filesystem::path> ChooseNewProfile(
        const std::filesystem::path& initial) override;
    [[nodiscard]] std::optional<std::filesystem::path> ChooseProfileToLoad(
        const std::filesystem::path& initial) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace qf::ui
