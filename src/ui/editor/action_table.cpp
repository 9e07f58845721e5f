#include "ui/editor/action_table.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

namespace qf::ui {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QStringList ToList(const std::vector<std::string>& texts) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts) {
        list.push_back(Q(text));
    }
    return list;
}

}  // namespace

// ---- ActionTableModel ----

ActionTableModel::ActionTableModel(presenters::EditorModel& editor, QObject* parent)
    : QAbstractTableModel(parent),
      editor_(editor),
      rows_(static_cast<int>(editor.actions().ActionCount())) {}

int ActionTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ActionTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : presenters::kActionColumnCount;
}

QVariant ActionTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            switch (index.column()) {
                case presenters::kActionKeyColumn:
                    return Q(editor_.ActionKeyText(row));
                case presenters::kActionStateColumn:
                    return Q(editor_.ActionStateText(row));
                case presenters::kActionDelayColumn:
                    return Q(editor_.ActionDelayText(row));
                default:
                    return {};
            }
        case Qt::ForegroundRole:
            if (index.column() != presenters::kActionDelayColumn && dim_.isValid()) {
                return dim_;
            }
            return {};
        default:
            return {};
    }
}

QVariant ActionTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    if (section < 0 || section >= presenters::kActionColumnCount) {
        return {};
    }
    return Q(editor_.ColumnTitle(section));
}

Qt::ItemFlags ActionTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void ActionTableModel::ActionsChanged() {
    const int rows = static_cast<int>(editor_.actions().ActionCount());
    if (rows != rows_) {
        beginResetModel();
        rows_ = rows;
        endResetModel();
        return;
    }
    if (rows_ > 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, presenters::kActionColumnCount - 1));
    }
}

void ActionTableModel::TitlesChanged() {
    emit headerDataChanged(Qt::Horizontal, 0, presenters::kActionColumnCount - 1);
}

// ---- ActionCellDelegate ----

ActionCellDelegate::ActionCellDelegate(presenters::EditorModel& editor,
                                       presenters::ActionCellEditor kind, QObject* parent)
    : QStyledItemDelegate(parent), editor_(editor), kind_(kind) {}

QWidget* ActionCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& /*option*/,
                                          const QModelIndex& index) const {
    if (!index.isValid()) {
        return nullptr;
    }
    // The model decides: a delay edit ends a recording; a cell without an editor says so.
    const presenters::ActionCellEditor kind =
        editor_.BeginActionEdit(static_cast<std::size_t>(index.row()), index.column());
    if (kind == presenters::ActionCellEditor::None || kind != kind_) {
        return nullptr;
    }
    if (kind_ == presenters::ActionCellEditor::Delay) {
        auto* field = new QLineEdit(parent);
        field->setFrame(false);
        return field;
    }
    auto* list = new QComboBox(parent);
    list->addItems(ToList(kind_ == presenters::ActionCellEditor::Key ? editor_.ActionKeyNames()
                                                                     : editor_.ActionStateNames()));
    list->setMaxVisibleItems(16);
    // A choice is final: it goes to the model and the drop-down closes.
    auto* self = const_cast<ActionCellDelegate*>(this);
    connect(list, &QComboBox::activated, self, [self, list](int) {
        emit self->commitData(list);
        emit self->closeEditor(list);
    });
    // A click on the cell opens the drop-down at once.
    QTimer::singleShot(0, list, [list] {
        if (list->isVisible()) {
            list->showPopup();
        }
    });
    return list;
}

void ActionCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const auto row = static_cast<std::size_t>(index.row());
    switch (kind_) {
        case presenters::ActionCellEditor::Key:
            static_cast<QComboBox*>(editor)->setCurrentIndex(editor_.ActionKeyIndex(row));
            break;
        case presenters::ActionCellEditor::State:
            static_cast<QComboBox*>(editor)->setCurrentIndex(
                row < editor_.actions().ActionCount() &&
                        editor_.actions().at(row).state == macros::kActionRelease
                    ? 1
                    : 0);
            break;
        case presenters::ActionCellEditor::Delay:
            static_cast<QLineEdit*>(editor)->setText(Q(editor_.ActionDelayText(row)));
            break;
        case presenters::ActionCellEditor::None:
            break;
    }
}

void ActionCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* /*model*/,
                                      const QModelIndex& index) const {
    const auto row = static_cast<std::size_t>(index.row());
    switch (kind_) {
        case presenters::ActionCellEditor::Key: {
            const int choice = static_cast<QComboBox*>(editor)->currentIndex();
            if (choice >= 0) {
                editor_.SetActionKey(row, static_cast<std::uint16_t>(choice));
            }
            break;
        }
        case presenters::ActionCellEditor::State: {
            const int choice = static_cast<QComboBox*>(editor)->currentIndex();
            if (choice >= 0) {
                editor_.SetActionState(row, static_cast<std::uint16_t>(choice));
            }
            break;
        }
        case presenters::ActionCellEditor::Delay: {
            // The view commits on focus loss and again on closing, and the clamp message takes
            // the focus: the model counts only the first commit of an edit, and the field is
            // not touched once the model has it (the view may have let go of it meanwhile).
            const std::string text = static_cast<QLineEdit*>(editor)->text().toStdString();
            (void)editor_.CommitActionDelay(row, text);
            break;
        }
        case presenters::ActionCellEditor::None:
            break;
    }
}

}  // namespace qf::ui
