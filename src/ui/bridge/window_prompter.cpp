#include "ui/bridge/window_prompter.h"

#include <QMessageBox>

namespace qf::ui {

using presenters::WorkKind;

void QtMessageBoxes::ShowMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtMessageBoxes::AskYesNo(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, QString(), text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void WindowPrompter::ShowMessage(text::TextId, std::string_view text) {
    (void)gui_.dispatcher().Send(
        WorkKind::Plain,
        [this, message = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))] {
            boxes_->ShowMessage(parent_.data(), message);
        });
}

bool WindowPrompter::AskYesNo(text::TextId, std::string_view text) {
    return gui_.dispatcher().Send<bool>(
        WorkKind::Plain,
        [this, question = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))] {
            return boxes_->AskYesNo(parent_.data(), question);
        },
        false);
}

}  // namespace qf::ui
