#include "ui/profiles/profile_file_chooser.h"

#include <QFile>
#include <QFileDialog>

#include "ui/skin/picture_cache.h"

namespace qf::ui {

namespace {

// "(*.fwc)" and "(*.*)": the patterns are the names, as the keyboard software has always shown
// them.
QStringList Filters() {
    const QString pattern =
        QString::fromUtf8(presenters::kProfileLoadPattern.data(),
                          static_cast<qsizetype>(presenters::kProfileLoadPattern.size()));
    return {QStringLiteral("(%1)").arg(pattern), QStringLiteral("(*.*)")};
}

std::optional<std::filesystem::path> Run(QFileDialog& dialog) {
    dialog.setDefaultSuffix(
        QString::fromUtf8(presenters::kProfileFileSuffix.data(),
                          static_cast<qsizetype>(presenters::kProfileFileSuffix.size())));
    dialog.setNameFilters(Filters());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(QFile::encodeName(dialog.selectedFiles().front()).toStdString());
}

}  // namespace

std::optional<std::filesystem::path> QtProfileFileChooser::ChooseNewProfile(
    const std::filesystem::path& initial) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(FileName(initial.parent_path()));
    dialog.selectFile(FileName(initial.filename()));
    // The dialog asks before it overwrites an existing file (Qt's default for a save dialog).
    return Run(dialog);
}

std::optional<std::filesystem::path> QtProfileFileChooser::ChooseProfileToLoad(
    const std::filesystem::path& initial) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // `initial` is the folder and "*.fwc": the folder opens, with the .fwc filter chosen.
    dialog.setDirectory(FileName(initial.parent_path()));
    return Run(dialog);
}

}  // namespace qf::ui
