#include "presenters/editor_action_list.h"

#include <algorithm>

namespace qf::presenters {

void EditorActionList::Report(ActionListChange change) const {
    if (listener_) {
        listener_(change);
    }
}

std::int32_t EditorActionList::ActionDelay(std::size_t position) const {
    return position < actions_.size() ? actions_[position].delay : 0;
}

void EditorActionList::SetActionDelay(std::size_t position, std::int32_t delay) {
    if (position >= actions_.size()) {
        return;
    }
    actions_[position].delay = delay;
    Report({true, false, true});
}

void EditorActionList::InsertAction(std::size_t position, const macros::MacroAction& action) {
    if (actions_.size() >= macros::kMaxMacroActions) {
        return;
    }
    position = std::min(position, actions_.size());
    actions_.insert(actions_.begin() + static_cast<std::ptrdiff_t>(position), action);
    selected_ = position;
    Report({true, true, true});
}

void EditorActionList::Load(std::span<const macros::MacroAction> actions) {
    const std::size_t used = std::min(actions.size(), macros::kMaxMacroActions);
    actions_.assign(actions.begin(), actions.begin() + static_cast<std::ptrdiff_t>(used));
    selected_.reset();
    Report({true, true, false});
}

void EditorActionList::Reset() {
    Load({});
}

void EditorActionList::Select(std::optional<std::size_t> row) {
    if (row && *row >= actions_.size()) {
        row.reset();
    }
    if (row == selected_) {
        return;
    }
    selected_ = row;
    Report({false, true, false});
}

bool EditorActionList::Move(ActionMove move) {
    if (!selected_) {
        return false;
    }
    const std::size_t from = *selected_;
    const std::size_t last = actions_.size() - 1;
    std::size_t to = from;
    switch (move) {
        case ActionMove::Top:
            to = 0;
            break;
        case ActionMove::Up:
            to = from == 0 ? 0 : from - 1;
            break;
        case ActionMove::Down:
            to = std::min(from + 1, last);
            break;
        case ActionMove::Bottom:
            to = last;
            break;
    }
    if (to == from) {
        return false;
    }
    // The action goes whole, its delay included.
    const macros::MacroAction moved = actions_[from];
    actions_.erase(actions_.begin() + static_cast<std::ptrdiff_t>(from));
    actions_.insert(actions_.begin() + static_cast<std::ptrdiff_t>(to), moved);
    selected_ = to;
    Report({true, true, true});
    return true;
}

bool EditorActionList::RemoveSelected() {
    if (!selected_) {
        return false;
    }
    actions_.erase(actions_.begin() + static_cast<std::ptrdiff_t>(*selected_));
    if (actions_.empty()) {
        selected_.reset();
    } else {
        selected_ = std::min(*selected_, actions_.size() - 1);
    }
    Report({true, true, true});
    return true;
}

bool EditorActionList::RemoveAll() {
    if (actions_.empty()) {
        return false;
    }
    actions_.clear();
    selected_.reset();
    Report({true, true, true});
    return true;
}

bool EditorActionList::SetScan(std::size_t row, std::uint16_t scan) {
    if (row >= actions_.size() || actions_[row].scan == scan) {
        return false;
    }
    actions_[row].scan = scan;
    Report({true, false, true});
    return true;
}

bool EditorActionList::SetState(std::size_t row, std::uint16_t state) {
    if (row >= actions_.size() || actions_[row].state == state) {
        return false;
    }
    actions_[row].state = state;
    Report({true, false, true});
    return true;
}

bool EditorActionList::SetDelay(std::size_t row, std::int32_t delay) {
    if (row >= actions_.size() || actions_[row].delay == delay) {
        return false;
    }
    actions_[row].delay = delay;
    Report({true, false, true});
    return true;
}

}  // namespace qf::presenters
