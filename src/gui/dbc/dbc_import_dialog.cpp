#include "gui/dbc/dbc_import_dialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/editors/editor_grid.h"
#include "gui/editors/table_editor_window.h"

namespace kestrova {
namespace {

enum Column { NameColumn, PgnColumn, DestinationColumn, AddressColumn, LengthColumn, NoteColumn };

constexpr int kMessageIndexRole = Qt::UserRole;

// Only the source address of a message is edited; the other columns are read, not typed.
class AddressOnlyDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (index.column() != AddressColumn) return nullptr;
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        editor->setObjectName("addressEditor");
        return editor;
    }
};

}  // namespace

DbcImportDialog::DbcImportDialog(const DbcFile& dbc, FrameList list, std::vector<TableRow> table, Dialogs& dialogs,
                                 QWidget* parent)
    : QDialog(parent),
      dbc_(dbc),
      frameList_(list),
      table_(std::move(table)),
      dialogs_(dialogs),
      filter_(new QLineEdit(this)),
      list_(new QTreeWidget(this)) {
    setObjectName("DbcImportDialog");
    setWindowTitle(list == FrameList::Receive ? "Import DBC - Receive Frames" : "Import DBC - Send Frames");
    filter_->setObjectName("filter");
    filter_->setPlaceholderText("Filter: name, PGN, comment or signal");
    filter_->setClearButtonEnabled(true);
    list_->setObjectName("messages");
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels({"Name", "PGN", "Dest", "SA", "Length", "Note"});
    list_->setItemDelegate(new AddressOnlyDelegate(list_));
    list_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::SelectedClicked);

    for (size_t index = 0; index < dbc_.messages.size(); ++index) {
        const DbcMessage& message = dbc_.messages[index];
        const auto fields = J1939FieldsOf(message);
        const bool refused = ImportRefusal(message, list).has_value();
        auto* item = new QTreeWidgetItem(list_);
        item->setText(NameColumn, QString::fromStdString(message.name));
        item->setText(PgnColumn, fields ? QString::fromStdString(FramePgnText(fields->Pgn())) : QString());
        item->setText(DestinationColumn,
                      fields && fields->Pdu1() ? QString::number(fields->DestinationAddress()) : QString());
        item->setText(AddressColumn, fields ? QString::number(fields->sourceAddress) : QString());
        item->setText(LengthColumn, QString::number(message.length));
        item->setText(NoteColumn, QString::fromStdString(MessageNote(message, list)));
        item->setData(NameColumn, kMessageIndexRole, static_cast<qulonglong>(index));
        const QString description = QString::fromStdString(MessageDescription(message));
        for (int column = NameColumn; column <= NoteColumn; ++column) item->setToolTip(column, description);
        if (refused) {
            item->setFlags(Qt::ItemNeverHasChildren);  // shown, not enabled, cannot be ticked
        } else {
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemIsEditable |
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
    connect(buttons, &QDialogButtonBox::accepted, this, &DbcImportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A double click on a message ticks or clears it; on its source address it edits that.
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [](QTreeWidgetItem* item, int column) {
        if (column != AddressColumn && (item->flags() & Qt::ItemIsUserCheckable))
            item->setCheckState(NameColumn, item->checkState(NameColumn) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });
}

std::vector<ChosenMessage> DbcImportDialog::Chosen() const {
    std::vector<ChosenMessage> chosen;
    for (int row = 0; row < list_->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = list_->topLevelItem(row);
        if ((item->flags() & Qt::ItemIsUserCheckable) && item->checkState(NameColumn) == Qt::Checked)
            chosen.push_back({&dbc_.messages[item->data(NameColumn, kMessageIndexRole).toULongLong()],
                              item->text(AddressColumn).toStdString()});
    }
    return chosen;
}

void DbcImportDialog::accept() {
    const auto chosen = Chosen();
    auto table = table_;
    if (!chosen.empty() && !RunGuarded(dialogs_, [&] { AddMessageRows(frameList_, table, chosen, "column SA"); }))
        return;
    table_ = std::move(table);
    QDialog::accept();
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

    EditorGrid* grid = editor.Grid();
    grid->CommitOpenEditor();
    DbcImportDialog dialog(dbc, list, grid->Rows(), dialogs, &editor);
    dialog.setWindowTitle(dialog.windowTitle() + " - " + QFileInfo(QString::fromStdString(*path)).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.Chosen().empty()) return;
    grid->EditRows(dialog.Table(), "Import DBC");
}

}  // namespace kestrova
