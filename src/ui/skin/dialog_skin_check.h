// Before a skinned dialog opens (again): can its background and shape pictures still be read?
//
// The first opening applies the skin (ApplyDialogSkin: the layout file, both pictures' headers,
// the window's size); the controls are placed when the dialog is first shown and keep their
// faces. A later opening checks only the two pictures' headers, so nothing is decoded or placed
// again. A dialog that fails the check reports it (ReportSkinFailure) and does not open; the
// program goes on.
#pragma once

#include "ui/skin/picture_cache.h"
#include "ui/skin/skinned_dialog.h"

namespace qf::ui {

[[nodiscard]] inline bool CheckDialogSkin(SkinnedDialog& dialog, SkinError* error) {
    if (!dialog.skinApplied()) {
        return dialog.ApplyDialogSkin(error);
    }
    for (const std::string* name : {&dialog.screen().main, &dialog.screen().mask}) {
        const std::filesystem::path file = text::SkinPicturePath(dialog.skinFolder(), *name);
        const PictureHeader header = PictureCache::CheckHeader(FileName(file));
        if (!header.readable) {
            if (error != nullptr) {
                *error = SkinError{file, header.reason};
            }
            return false;
        }
    }
    return true;
}

}  // namespace qf::ui
