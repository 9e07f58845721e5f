#include "presenters/key_filter.h"

namespace qf::presenters {

KeyDecision FilterWindowKey(WindowKey key, bool effectListFocused) {
    switch (key) {
        case WindowKey::Enter:
        case WindowKey::Escape:
            return KeyDecision::Swallow;
        case WindowKey::Up:
        case WindowKey::Down:
        case WindowKey::Left:
        case WindowKey::Right:
            return effectListFocused ? KeyDecision::Swallow : KeyDecision::Pass;
        case WindowKey::F1:
            return KeyDecision::Help;
        case WindowKey::Other:
            break;
    }
    return KeyDecision::Pass;
}

bool SwallowWheel(bool overEffectList, bool effectListOpen) {
    return overEffectList && !effectListOpen;
}

}  // namespace qf::presenters
