#include "ui/profiles/profile_manager_dialog.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <algorithm>

#include "text/skin_keys.h"
#include "ui/skin/control_palette.h"
#include "ui/skin/dialog_skin_check.h"

namespace qf::ui {

namespace skin = text::skin;

namespace {

constexpr int kCheckColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kFolderColumn = 2;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The item of (row, column), made when the row is new.
QTableWidgetItem& ItemAt(QTableWidget& list, int row, int column) {
    QTableWidgetItem* item = list.item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (column == kCheckColumn) {
            flags |= Qt::ItemIsUserCheckable;
        }
        item->setFlags(flags);
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        list.setItem(row, column, item);
    }
    return *item;
}

}  // namespace

ProfileManagerDialog::ProfileManagerDialog(ProfileWindowDependencies deps, QWidget* parent)
    : SkinnedDialog(deps.layoutFile, deps.pictures, parent),
      deps_(std::move(deps)),
      model_({deps_.settings, deps_.activeProfile, deps_.transfers, deps_.switching,
              deps_.mainWindow, deps_.prompter, deps_.language, deps_.profileFolder, deps_.chooser,
              *this}) {
    ApplyControlPalette(*this);
    list_ = new QTableWidget(0, static_cast<int>(presenters::kProfileColumnHeadings.size()), this);
    QStringList headings;
    for (const std::string_view heading : presenters::kProfileColumnHeadings) {
        headings.push_back(Q(heading));
    }
    list_->setHorizontalHeaderLabels(headings);
    for (std::size_t c = 0; c < presenters::kProfileColumnWidths.size(); ++c) {
        list_->setColumnWidth(static_cast<int>(c), presenters::kProfileColumnWidths[c]);
    }
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->horizontalHeader()->setStretchLastSection(false);
    list_->verticalHeader()->hide();
    list_->setShowGrid(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setWordWrap(false);
    LightenCheckFrames(*list_);

    auto button = [this] {
        auto* b = new PictureButton(this);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    new_ = button();
    load_ = button();
    delete_ = button();
    apply_ = button();
    ok_ = button();
    cancel_ = button();

    // A user's check change only: the fills below block the list's signals.
    connect(list_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == kCheckColumn) {
            model_.SetChecked(static_cast<std::size_t>(item->row()),
                              item->checkState() == Qt::Checked);
        }
    });
    connect(new_, &QAbstractButton::clicked, this, [this] { model_.New(); });
    connect(load_, &QAbstractButton::clicked, this, [this] { model_.Load(); });
    connect(delete_, &QAbstractButton::clicked, this,
            [this] { model_.Delete(FirstSelectedRow()); });
    connect(apply_, &QAbstractButton::clicked, this, [this] { model_.Apply(); });
    connect(ok_, &QAbstractButton::clicked, this, [this] {
        // An Apply stopped by the main window's failed Apply keeps the dialog open.
        if (model_.Apply()) {
            accept();
        }
    });
    connect(cancel_, &QAbstractButton::clicked, this, [this] { reject(); });
}

ProfileManagerDialog::~ProfileManagerDialog() {
    model_.Close();
    // The list's handler calls the model: the widgets go while it is still there.
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void ProfileManagerDialog::PlaceControls() {
    const PictureSet set =
        InstallPictureSet(pictures(), deps_.installFolder, skin::kProfilePictures);
    const StatePictures pictures{set.normal, set.hover, set.pressed, set.disabled, set.normal};
    PlaceSkinButton(*ok_, skin::CONTROL_OK, pictures);
    PlaceSkinButton(*cancel_, skin::CONTROL_CANCEL, pictures);
    PlaceSkinButton(*new_, skin::FUNC_ADD, pictures);
    PlaceSkinButton(*load_, skin::FUNC_LOAD, pictures);
    PlaceSkinButton(*delete_, skin::FUNC_DELETE, pictures);
    PlaceSkinButton(*apply_, skin::CONTROL2_APPLY, pictures);
    PlaceSkinControl(*list_, skin::PROGRAM_LIST);
}

bool ProfileManagerDialog::Prepare() {
    SkinError error;
    if (!CheckDialogSkin(*this, &error)) {
        ReportSkinFailure(error, parentWidget());
        return false;
    }
    EnsureSkinned();
    if (!model_.IsOpen()) {
        model_.Open();
    }
    return true;
}

bool ProfileManagerDialog::Open() {
    if (isVisible()) {
        raise();
        activateWindow();
        return true;
    }
    if (!Prepare()) {
        return false;
    }
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    return true;
}

bool ProfileManagerDialog::Run() {
    if (isVisible()) {
        return Open();
    }
    if (!Prepare()) {
        return false;
    }
    (void)exec();
    return true;
}

void ProfileManagerDialog::CloseFromOutside() {
    if (model_.IsOpen() || isVisible()) {
        done(QDialog::Rejected);
    }
}

void ProfileManagerDialog::done(int result) {
    // OK has applied already; every other way out drops the changes.
    model_.Close();
    SkinnedDialog::done(result);
}

void ProfileManagerDialog::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();  // Enter does not apply to the keyboard
            return;
        case Qt::Key_F1:
            if (deps_.openHelp) {
                deps_.openHelp();
            }
            event->accept();
            return;
        default:
            SkinnedDialog::keyPressEvent(event);  // Escape closes as Cancel does
    }
}

std::optional<std::size_t> ProfileManagerDialog::FirstSelectedRow() const {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    const auto first = std::min_element(
        rows.begin(), rows.end(),
        [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    return static_cast<std::size_t>(first->row());
}

void ProfileManagerDialog::ProfileManagerChanged() {
    const std::vector<presenters::ProfileRow>& rows = model_.rows();
    {
        const QSignalBlocker blocker(list_);
        list_->setRowCount(static_cast<int>(rows.size()));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const int row = static_cast<int>(r);
            ItemAt(*list_, row, kCheckColumn)
                .setCheckState(rows[r].checked ? Qt::Checked : Qt::Unchecked);
            ItemAt(*list_, row, kNameColumn).setText(QString::fromStdString(rows[r].name));
            ItemAt(*list_, row, kFolderColumn).setText(QString::fromStdString(rows[r].folder));
        }
    }
    list_->viewport()->update();
    apply_->setEnabled(model_.HasUnappliedChanges());
}

}  // namespace qf::ui
