#include "gui/canopen/stored_pdo_window.h"

#include <QButtonGroup>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/canopen/csv_export.h"
#include "core/canopen/spreadsheet_import.h"
#include "core/editors/editor_commit.h"
#include "gui/canopen/side_pages_layout.h"

namespace kestrova {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

constexpr int kByteItems = 9;  // "none", "B1" to "B8"

}  // namespace

void TFInfopdo::ByteGroup::Set(int value) {
    held = value;
    if (QAbstractButton* button = buttons->button(value)) {
        button->setChecked(true);
        return;
    }
    buttons->setExclusive(false);  // an exclusive group cannot uncheck its last item
    for (QAbstractButton* button : buttons->buttons()) button->setChecked(false);
    buttons->setExclusive(true);
}

int TFInfopdo::ByteGroup::Value() const { return buttons->checkedId() >= 0 ? buttons->checkedId() : held; }

TFInfopdo::TFInfopdo(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context_(context),
      dialogs_(dialogs) {
    setObjectName("TFInfopdo");
    setWindowTitle("Define Store PDO");

    auto* tabs = new QTabWidget(this);
    tabs->addTab(MakePage(CanSide::A), "CanA");
    tabs->addTab(MakePage(CanSide::B), "CanB");

    LayOutSidePages(
        *this, tabs,
        {[this] { OkClick(); }, [this] { reject(); }, [this] { ExportClick(); }, [this] { ImportClick(); }});
}

QWidget* TFInfopdo::MakePage(CanSide side) {
    const bool a = side == CanSide::A;
    const QString suffix = a ? "A" : "B";
    auto* page = new QWidget;
    Page& controls = PageOf(side);

    controls.sdoList = new QListWidget(page);
    controls.sdoList->setObjectName("sdoList" + suffix);
    controls.pdoList = new QListWidget(page);
    controls.pdoList->setObjectName("pdoList" + suffix);
    controls.index = new QLineEdit(page);
    controls.index->setObjectName("indexEdit" + suffix);
    controls.subindex = new QLineEdit(page);
    controls.subindex->setObjectName("subindexEdit" + suffix);

    auto* sdoColumn = new QVBoxLayout;
    sdoColumn->addWidget(new QLabel(a ? "SDO CANB" : "SDO CANA"));
    sdoColumn->addWidget(controls.sdoList);
    auto* pdoColumn = new QVBoxLayout;
    pdoColumn->addWidget(new QLabel("Correlated"));
    pdoColumn->addWidget(new QLabel(a ? "Index PDO in CANA" : "Index PDO in CANB"));
    pdoColumn->addWidget(controls.pdoList);

    auto* bytes = new QGroupBox("Selected PDO Byte", page);
    auto* bytesLayout = new QHBoxLayout(bytes);
    const auto addGroup = [&](ByteGroup& group, const char* beside, const char* what, const QString& name) {
        group.buttons = new QButtonGroup(page);
        group.buttons->setObjectName(name + suffix);
        auto* column = new QVBoxLayout;
        column->addWidget(new QLabel(QString(beside) + "\n" + what));
        for (int item = 0; item < kByteItems; ++item) {
            auto* radio = new QRadioButton(item == 0 ? QString("none") : "B" + QString::number(item), bytes);
            group.buttons->addButton(radio, item);
            column->addWidget(radio);
        }
        bytesLayout->addLayout(column);
        group.Set(0);
    };
    addGroup(controls.high, "Traslate in", "High SDO Byte", "highGroup");
    addGroup(controls.low, a ? "Trsalete in" : "Traslate in", "Low SDO Byte", "lowGroup");

    auto* fields = new QGridLayout;
    fields->addWidget(new QLabel(a ? "Index SDO CANB" : "Index SDO CANA"), 0, 0);
    fields->addWidget(controls.index, 0, 1);
    fields->addWidget(new QLabel(a ? "Subindex SDO CANB" : "Subindex SDO CANA"), 1, 0);
    fields->addWidget(controls.subindex, 1, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addWidget(bytes);
    auto* pageButtons = new QHBoxLayout;
    for (const auto& [text, name, handler] : {std::tuple{"Delete SDO", "deleteSdoButton", &TFInfopdo::DeleteSdoClick},
                                              std::tuple{"New SDO", "newSdoButton", &TFInfopdo::NewSdoClick},
                                              std::tuple{"Modify SDO", "modifySdoButton", &TFInfopdo::ModifySdoClick},
                                              std::tuple{"Copy SDO", "copySdoButton", &TFInfopdo::CopySdoClick},
                                              std::tuple{"Paste SDO", "pasteSdoButton", &TFInfopdo::PasteSdoClick}}) {
        auto* button = new QPushButton(text, page);
        button->setObjectName(name + suffix);
        pageButtons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, side, handler = handler] { (this->*handler)(side); });
    }
    right->addLayout(pageButtons);

    auto* layout = new QHBoxLayout(page);
    layout->addLayout(sdoColumn);
    layout->addLayout(pdoColumn);
    layout->addLayout(right);

    // A new item chosen by the mouse (also by dragging to it) or the keyboard, or a click on the
    // item already current (shown afresh).
    for (QListWidget* list : {controls.pdoList, controls.sdoList}) {
        const auto handler = list == controls.pdoList ? &TFInfopdo::PdoClick : &TFInfopdo::SdoClick;
        list->viewport()->installEventFilter(this);
        connect(list, &QListWidget::currentRowChanged, this, [this, side, handler](int row) {
            if (filling_ || row < 0) return;
            rowChangedSincePress_ = true;
            (this->*handler)(side, row);
        });
        connect(list, &QListWidget::itemClicked, this, [this, side, handler, list](QListWidgetItem* item) {
            if (!rowChangedSincePress_) (this->*handler)(side, list->row(item));
        });
    }
    return page;
}

bool TFInfopdo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) rowChangedSincePress_ = false;  // a new click begins
    return QDialog::eventFilter(watched, event);
}

void TFInfopdo::ShowModal() {
    Reload();
    exec();
}

void TFInfopdo::Reload() {
    filling_ = true;
    for (Page& page : controls_) {
        page.pdoList->clear();
        ClearPageFields(page);
    }
    loaded_ = LoadedDocument(context_.documents.sdoPdo);
    StoredPdoLoad load = LoadStoredPdos(context_);
    pages_ = std::move(load.pages);
    rowsRead_ = load.sdoPdoRows;
    for (const CanSide side : kCanSides)
        for (const TClPdo& pdo : pages_.Side(side).pdos) PageOf(side).pdoList->addItem(Text(pdo.name));
    filling_ = false;
    for (const std::string& message : load.messages) dialogs_.ShowMessage(MessageKind::Plain, message);
}

void TFInfopdo::ClearPageFields(Page& page) {
    const bool wasFilling = filling_;
    filling_ = true;
    page.sdoList->clear();
    filling_ = wasFilling;
    page.index->clear();
    page.subindex->clear();
    page.high.Set(0);
    page.low.Set(0);
}

int TFInfopdo::SelectedRow(const QListWidget* list) const {
    return list->selectedItems().isEmpty() ? -1 : list->row(list->selectedItems().front());
}

TClSdo TFInfopdo::FieldsSdo(const Page& page) const {
    return {Text(page.index), Text(page.subindex), ByteSelectionText(page.high.Value(), page.low.Value())};
}

void TFInfopdo::ShowByteSelection(Page& page, const std::string& text) {
    RunGuarded(dialogs_, [&] {
        const ByteSelection selection = ByteSelectionOf(text);
        page.low.Set(selection.low);
        page.high.Set(selection.high);
    });
}

void TFInfopdo::PdoClick(CanSide side, int row) {
    Page& page = PageOf(side);
    ClearPageFields(page);
    const auto& pdos = pages_.Side(side).pdos;
    if (row < 0 || static_cast<size_t>(row) >= pdos.size()) return;
    filling_ = true;
    for (size_t i = 0; i < pdos[size_t(row)].sdos.size(); ++i) page.sdoList->addItem("Sdo" + QString::number(i));
    filling_ = false;
}

void TFInfopdo::SdoClick(CanSide side, int row) {
    Page& page = PageOf(side);
    const int pdo = SelectedRow(page.pdoList);
    if (pdo < 0 || row < 0) return;
    const auto& sdos = pages_.Side(side).pdos.at(size_t(pdo)).sdos;
    if (static_cast<size_t>(row) >= sdos.size()) return;
    const TClSdo& sdo = sdos[size_t(row)];
    page.index->setText(Text(sdo.index));
    page.subindex->setText(Text(sdo.subindex));
    ShowByteSelection(page, sdo.byteSelection);
}

void TFInfopdo::NewSdoClick(CanSide side) {
    Page& page = PageOf(side);
    const int pdo = SelectedRow(page.pdoList);
    if (pdo < 0) return;
    std::optional<std::string> refusal;
    if (!RunGuarded(dialogs_, [&] { refusal = NewSdo(pages_, side, size_t(pdo), FieldsSdo(page)); })) return;
    if (refusal) {
        dialogs_.ShowMessage(MessageKind::Plain, *refusal);
        return;
    }
    filling_ = true;
    page.sdoList->addItem("Sdo" + QString::number(page.sdoList->count()));
    page.sdoList->setCurrentRow(page.sdoList->count() - 1);
    filling_ = false;
}

void TFInfopdo::ModifySdoClick(CanSide side) {
    Page& page = PageOf(side);
    const int pdo = SelectedRow(page.pdoList);
    const int sdo = SelectedRow(page.sdoList);
    if (pdo < 0 || sdo < 0) return;
    std::optional<std::string> refusal;
    if (!RunGuarded(dialogs_, [&] { refusal = ModifySdo(pages_, side, {size_t(pdo), size_t(sdo)}, FieldsSdo(page)); }))
        return;
    if (refusal) dialogs_.ShowMessage(MessageKind::Plain, *refusal);
}

void TFInfopdo::DeleteSdoClick(CanSide side) {
    Page& page = PageOf(side);
    const int pdo = SelectedRow(page.pdoList);
    const int sdo = SelectedRow(page.sdoList);
    if (pdo < 0 || sdo < 0) return;
    DeleteSdo(pages_, side, {size_t(pdo), size_t(sdo)});
    filling_ = true;
    delete page.sdoList->takeItem(sdo);
    page.sdoList->setCurrentRow(-1);
    filling_ = false;
}

void TFInfopdo::CopySdoClick(CanSide side) {
    const Page& page = PageOf(side);
    copyBuffers_[SideIndex(side)] = {Text(page.index), Text(page.subindex),
                                     ByteSelectionText(page.high.Value(), page.low.Value())};
}

void TFInfopdo::PasteSdoClick(CanSide side) {
    Page& page = PageOf(side);
    const CopyBuffer& buffer = copyBuffers_[SideIndex(side)];
    page.index->setText(Text(buffer.index));
    page.subindex->setText(Text(buffer.subindex));
    ShowByteSelection(page, buffer.byteSelection);
}

void TFInfopdo::OkClick() {
    if (CommitLoadedRows(dialogs_, context_.projectDirectory, loaded_, rowsRead_,
                         [this] { SaveStoredPdos(context_.documents.sdoPdo, pages_); }))
        accept();
}

void TFInfopdo::ExportClick() {
    RunGuarded(dialogs_, [this] { WriteCsvExport(context_, kSdoPdoSheet, StoredPdoExportLines(pages_)); });
}

void TFInfopdo::ImportClick() {
    const auto workbook = dialogs_.ChooseOpenFile(context_.projectDirectory, kWorkbookFilter);
    if (!workbook) return;
    for (Page& page : controls_) ClearPageFields(page);
    ImportStoredPdos(dialogs_, *workbook, pages_);
}

}  // namespace kestrova
