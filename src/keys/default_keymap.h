// DefaultKeymap: which key sits at each keymap position and what it does by default.
//
// It starts as the built-in default and is replaced by the keyboard's own default keymap when the
// keyboard arrives (read on a presence thread, used on the window thread), so reads and writes
// are guarded by a mutex and hand out copies.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "keys/builtin_keymap.h"

namespace qf::keys {

inline constexpr std::size_t kKeymapImageSize = 512;
using KeymapImage = std::array<std::uint8_t, kKeymapImageSize>;

class DefaultKeymap {
public:
    DefaultKeymap() : image_(kBuiltinDefaultKeymap) {}

    KeymapImage Get() const {
        std::lock_guard lock(mutex_);
        return image_;
    }

    void Set(const KeymapImage& image) {
        std::lock_guard lock(mutex_);
        image_ = image;
    }

private:
    mutable std::mutex mutex_;
    KeymapImage image_;
};

}  // namespace qf::keys
