// The assignment editor's action list: a table model over the editor model's actions, and one
// in-place editor per column (a drop-down of the action keys, a drop-down of the two states, a
// text field for the delay).
//
// Every edit goes through the editor model: a delegate asks it which editor a cell opens
// (BeginActionEdit, which also ends a recording when a delay edit starts) and hands it the
// choice or the text (SetActionKey, SetActionState, CommitActionDelay). The table shows what the
// model then holds; it never changes an action itself.
//
// GUI thread only.
#pragma once

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

#include "presenters/editor_model.h"

namespace qf::ui {

class ActionTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ActionTableModel(presenters::EditorModel& editor, QObject* parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The editor model's actions changed: rows added or removed reset the table; otherwise
    // the rows are redrawn in place (an open in-place editor stays open).
    void ActionsChanged();
    // The column titles changed (they are read from the language table).
    void TitlesChanged();
    // The colour of the key and state columns.
    void SetDimColour(const QColor& colour) { dim_ = colour; }

private:
    presenters::EditorModel& editor_;
    int rows_ = 0;
    QColor dim_;
};

// The in-place editor of one column of the action list.
class ActionCellDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    ActionCellDelegate(presenters::EditorModel& editor, presenters::ActionCellEditor kind,
                       QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    presenters::EditorModel& editor_;
    presenters::ActionCellEditor kind_;
};

}  // namespace qf::ui
