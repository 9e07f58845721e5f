// Writes the whole skin into a folder: the three layout files, every picture they and the windows
// name, and the lighting panel's bitmaps. The same description gives the same bytes on every run.
#pragma once

#include <QImage>
#include <QString>
#include <filesystem>
#include <string>
#include <vector>

#include "skin_spec.h"

namespace qf::skingen {

// One written picture, for the contact sheet.
struct WrittenPicture {
    QString name;  // file name in the Skins folder
    QImage image;
};

// The text of a dialog's layout file.
[[nodiscard]] std::string LayoutFileText(const DialogSpec& dialog);

// Writes the skin into `folder` (created when missing). False with a message in `error` when a
// file cannot be written; `written`, when given, receives every picture in writing order.
[[nodiscard]] bool WriteSkin(const std::filesystem::path& folder, std::string& error,
                             std::vector<WrittenPicture>* written = nullptr);

// One picture of every written picture, scaled down and labelled with its file name.
[[nodiscard]] QImage ContactSheet(const std::vector<WrittenPicture>& pictures);

}  // namespace qf::skingen
