// The assignment editor's action list: the actions of the macro being edited, the selected
// action, and the changes the editor and the macro recorder make to it.
//
// It is the recorder's RecordingEditor: recorded actions are inserted after the selected one,
// which the new action then becomes. Each change is reported to the owner (the editor model),
// which marks the editor modified and tells the window what to redraw.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "macros/macro_record.h"
#include "macros/recorder.h"

namespace qf::presenters {

enum class ActionMove { Top, Up, Down, Bottom };

// What a change touched.
struct ActionListChange {
    bool actions = false;    // the rows (their number, order or contents)
    bool selection = false;  // the selected row: select it and scroll it into view
    bool edit = false;       // a change of the macro, as opposed to a load or a selection
};

class EditorActionList final : public macros::RecordingEditor {
public:
    using Listener = std::function<void(const ActionListChange&)>;

    void SetListener(Listener listener) { listener_ = std::move(listener); }

    // ---- RecordingEditor ----
    [[nodiscard]] std::size_t ActionCount() const override { return actions_.size(); }
    [[nodiscard]] std::optional<std::size_t> SelectedAction() const override { return selected_; }
    [[nodiscard]] std::int32_t ActionDelay(std::size_t position) const override;
    void SetActionDelay(std::size_t position, std::int32_t delay) override;
    // Inserts at `position` (clamped to the end), selects the new action and reports an edit.
    // Ignored once the list holds kMaxMacroActions actions.
    void InsertAction(std::size_t position, const macros::MacroAction& action) override;

    [[nodiscard]] const std::vector<macros::MacroAction>& actions() const { return actions_; }
    [[nodiscard]] const macros::MacroAction& at(std::size_t row) const { return actions_.at(row); }

    // Shows a macro's actions (at most kMaxMacroActions), nothing selected. Not an edit.
    void Load(std::span<const macros::MacroAction> actions);
    // Empties the list without it counting as an edit (the editor has no macro to show).
    void Reset();

    // Selects a row, or none (nothing, or a row outside the list).
    void Select(std::optional<std::size_t> row);

    // Moves the selected action, with its own delay, to the top, one up, one down or to the
    // bottom; it stays selected. False (nothing changes) without a selection or at the end it
    // would move past.
    bool Move(ActionMove move);
    // Removes the selected action; the action that takes its place (or the new last one) is
    // selected. False without a selection.
    bool RemoveSelected();
    // Removes every action. False when there was none.
    bool RemoveAll();

    // In-place edits of one row. False (nothing changes) for a row outside the list or a value
    // equal to the current one.
    bool SetScan(std::size_t row, std::uint16_t scan);
    bool SetState(std::size_t row, std::uint16_t state);
    bool SetDelay(std::size_t row, std::int32_t delay);

private:
    void Report(ActionListChange change) const;

    std::vector<macros::MacroAction> actions_;
    std::optional<std::size_t> selected_;
    Listener listener_;
};

}  // namespace qf::presenters
