// Where the build put the skin, and the layout files read with the core's reader.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

#include "text/ini_file.h"

namespace qf::skintest {

inline std::filesystem::path BuiltSkins() {
    return QF_BUILT_SKINS;
}

inline std::filesystem::path BuiltHelp() {
    return QF_BUILT_HELP;
}

inline text::IniDocument LoadLayout(std::string_view name) {
    text::IniDocument doc;
    const text::IniLoadResult result = text::LoadIniFile(BuiltSkins() / name, doc);
    EXPECT_EQ(result, text::IniLoadResult::Loaded) << "cannot read " << (BuiltSkins() / name);
    return doc;
}

// A picture named relative to the install folder ("Skins/main_normal.jpg").
inline QImage LoadInstalledPicture(std::string_view name) {
    const std::filesystem::path path = BuiltSkins().parent_path() / name;
    return QImage(QString::fromStdString(path.string()));
}

// A picture named relative to the Skins folder (the layout files' names).
inline QImage LoadSkinPicture(std::string_view name) {
    return QImage(QString::fromStdString((BuiltSkins() / name).string()));
}

}  // namespace qf::skintest
