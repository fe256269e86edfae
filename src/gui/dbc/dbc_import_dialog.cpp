#include "gui/dbc/dbc_import_dialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/editors/editor_grid.h"
#include "gui/editors/table_editor_window.h"

namespace kestrova {
namespace {

enum Column { NameColumn, PgnColumn, AddressColumn, LengthColumn, NoteColumn };

constexpr int kMessageIndexRole = Qt::UserRole;

}  // namespace

DbcImportDialog::DbcImportDialog(const DbcFile& dbc, FrameList list, QWidget* parent)
    : QDialog(parent), dbc_(dbc), filter_(new QLineEdit(this)), list_(new QTreeWidget(this)) {
    setObjectName("DbcImportDialog");
    setWindowTitle(list == FrameList::Receive ? "Import DBC - Receive Frames" : "Import DBC - Send Frames");
    filter_->setObjectName("filter");
    filter_->setPlaceholderText("Filter: name, PGN, comment or signal");
    filter_->setClearButtonEnabled(true);
    list_->setObjectName("messages");
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({"Name", "PGN", "SA", "Length", "Note"});

    for (size_t index = 0; index < dbc_.messages.size(); ++index) {
        const DbcMessage& message = dbc_.messages[index];
        const auto fields = J1939FieldsOf(message);
        const auto refusal = ImportRefusal(message, list);
        auto* item = new QTreeWidgetItem(list_);
        item->setText(NameColumn, QString::fromStdString(message.name));
        item->setText(PgnColumn, fields ? QString::fromStdString(FramePgnText(fields->Pgn())) : QString());
        item->setText(AddressColumn, fields ? QString::number(fields->sourceAddress) : QString());
        item->setText(LengthColumn, QString::number(message.length));
        item->setText(NoteColumn, QString::fromStdString(refusal.value_or("")));
        item->setData(NameColumn, kMessageIndexRole, static_cast<qulonglong>(index));
        const QString description = QString::fromStdString(MessageDescription(message));
        for (int column = NameColumn; column <= NoteColumn; ++column) item->setToolTip(column, description);
        if (refusal) {
            item->setFlags(Qt::ItemNeverHasChildren);  // shown, not enabled, cannot be ticked
        } else {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                           Qt::ItemNeverHasChildren);
            item->setCheckState(NameColumn, Qt::Unchecked);
        }
    }
    for (int column = NameColumn; column <= NoteColumn; ++column) list_->resizeColumnToContents(column);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filter_);
    layout->addWidget(list_);
    layout->addWidget(new QLabel("Ticked messages fill the first empty rows; OK of the frame list saves them.", this));
    layout->addWidget(buttons);
    resize(std::max(list_->header()->length() + 40, 480), 420);

    connect(filter_, &QLineEdit::textChanged, this, &DbcImportDialog::ApplyFilter);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A double click on a message ticks or clears it.
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [](QTreeWidgetItem* item) {
        if (item->flags() & Qt::ItemIsUserCheckable)
            item->setCheckState(NameColumn, item->checkState(NameColumn) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
}

std::vector<DbcMessage> DbcImportDialog::Chosen() const {
    std::vector<DbcMessage> chosen;
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list_->topLevelItem(row);
        if ((item->flags() & Qt::ItemIsUserCheckable) && item->checkState(NameColumn) == Qt::Checked)
            chosen.push_back(dbc_.messages[item->data(NameColumn, kMessageIndexRole).toULongLong()]);
    }
    return chosen;
}

void DbcImportDialog::ApplyFilter() {
    const std::string filter = filter_->text().toStdString();
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        item->setHidden(
            !MessageMatchesFilter(dbc_.messages[item->data(NameColumn, kMessageIndexRole).toULongLong()], filter));
    }
}

void ImportDbcIntoEditor(TableEditorWindow& editor, FrameList list, const ProjectContext& context, Dialogs& dialogs) {
    const auto path = dialogs.ChooseOpenFile(context.projectDirectory, "DBC files (*.dbc)|*.dbc");
    if (!path) return;
    DbcFile dbc;
    if (!RunGuarded(dialogs, [&] { dbc = ReadDbcFile(*path); })) return;

    DbcImportDialog dialog(dbc, list, &editor);
    dialog.setWindowTitle(dialog.windowTitle() + " - " + QFileInfo(QString::fromStdString(*path)).fileName());
    if (dialog.exec() != QDialog::Accepted) return;
    const auto chosen = dialog.Chosen();
    if (chosen.empty()) return;

    EditorGrid* grid = editor.Grid();
    grid->CommitOpenEditor();
    auto table = grid->Rows();
    std::vector<TableRow> rows;
    for (const auto& message : chosen) rows.push_back(FrameRow(message, list));
    if (!PlaceRows(grid->Layout(), table, rows)) {
        dialogs.ShowMessage(MessageKind::Error, NoRoomMessage(list, grid->Layout(), table, rows.size()));
        return;
    }
    grid->EditRows(table, "Import DBC");
}

}  // namespace kestrova
