#include "gui/canopen/sdo_access_window.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/canopen/side_pages_layout.h"
#include "gui/editors/editor_grid.h"

namespace kestrova {
namespace {

struct SideTexts {
    const char* page;
    const char* leftBand;
    const char* rightBand;
};
constexpr SideTexts kSideTexts[] = {
    {"SDO from CAN A request to CAN B", "Define virtual index SDO in CAN A", "Input index address SDO in CAN B"},
    {"SDO from CAN B request to CAN A", "Define virtual index SDO in CAN B", "Input index address SDO in CAN A"},
};

// Columns 4 to 8 (devID to mnemonico) and their heading band share a second colour.
const QColor kAddressShade(0xE4, 0xEE, 0xF8);

QLabel* Band(const char* text, QWidget* parent, bool shaded) {
    auto* band = new QLabel(text, parent);
    band->setAlignment(Qt::AlignCenter);
    band->setFrameShape(QFrame::Panel);
    band->setAutoFillBackground(true);
    if (shaded) {
        QPalette palette = band->palette();
        palette.setColor(QPalette::Window, kAddressShade);
        band->setPalette(palette);
    }
    return band;
}

}  // namespace

TFsdo::TFsdo(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), context_(context), dialogs_(dialogs), tabs_(new QTabWidget(this)) {
    setWindowTitle("Set SDO Access");
    for (CanSide side : kCanSides) tabs_->addTab(MakePage(side), kSideTexts[SideIndex(side)].page);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (const char* caption : {"OK", "Cancel", "Export", "Import"}) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString(caption).toLower() + "Button");
        buttons->addWidget(button);
        if (caption == std::string("OK")) connect(button, &QPushButton::clicked, this, &QDialog::accept);
        if (caption == std::string("Cancel")) connect(button, &QPushButton::clicked, this, &QDialog::reject);
        if (caption == std::string("Export")) connect(button, &QPushButton::clicked, this, &TFsdo::ExportClick);
        if (caption == std::string("Import")) connect(button, &QPushButton::clicked, this, &TFsdo::ImportClick);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addLayout(buttons);
    resize(900, 560);
    setSizeGripEnabled(true);
    KeepEnterInFields(*this);
    ShowTables(EmptySdoAccessTables());
}

QWidget* TFsdo::MakePage(CanSide side) {
    auto* page = new QWidget(tabs_);
    Page& parts = pages_[SideIndex(side)];
    parts.leftBand = Band(kSideTexts[SideIndex(side)].leftBand, page, false);
    parts.rightBand = Band(kSideTexts[SideIndex(side)].rightBand, page, true);
    parts.grid = new EditorGrid(SdoAccessLayout(), page);
    const QString suffix = side == CanSide::A ? "A" : "B";
    parts.leftBand->setObjectName("leftBand" + suffix);
    parts.grid->setObjectName("grid" + suffix);
    parts.grid->installEventFilter(this);
    parts.grid->horizontalHeader()->setStretchLastSection(false);  // mnemonico is a tenth wide too

    auto* bands = new QHBoxLayout;
    bands->setSpacing(1);
    bands->addWidget(parts.leftBand);
    bands->addWidget(parts.rightBand, 1);
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(0);
    layout->addLayout(bands);
    layout->addWidget(parts.grid);
    return page;
}

bool TFsdo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize)
        for (Page& page : pages_)
            if (watched == page.grid) LayOutColumns(page);
    return QDialog::eventFilter(watched, event);
}

// Every column a tenth of the grid's width; the left band over the first four.
void TFsdo::LayOutColumns(Page& page) {
    const int width = page.grid->width() / (static_cast<int>(kSdoColumnCount) + 2);
    for (int column = 0; column < page.grid->columnCount(); ++column) page.grid->setColumnWidth(column, width);
    page.leftBand->setFixedWidth(4 * width);
}

void TFsdo::ShowTables(const SdoAccessTables& tables) {
    for (CanSide side : kCanSides) {
        EditorGrid* grid = Grid(side);
        grid->setUpdatesEnabled(false);
        grid->SetRows(tables.Side(side));
        for (int row = 0; row < grid->rowCount(); ++row)
            for (size_t column = kSdoDevIdB; column < kSdoColumnCount; ++column)
                grid->item(row, EditorGrid::GridColumn(column))->setBackground(kAddressShade);
        grid->setUpdatesEnabled(true);
    }
}

void TFsdo::Reload() {
    const SdoAccessLoad load = LoadSdoAccess(SdoAccessPath(context_));
    ShowTables(load.tables);
    tabs_->setCurrentIndex(0);
    if (load.message) dialogs_.ShowMessage(MessageKind::Plain, *load.message);
}

void TFsdo::ShowModal() {
    Reload();
    exec();
}

SdoAccessTables TFsdo::Tables() const {
    SdoAccessTables tables;
    for (CanSide side : kCanSides) {
        Grid(side)->CommitOpenEditor();
        tables.Side(side) = Grid(side)->Rows();
    }
    return tables;
}

void TFsdo::ExportClick() {
    const SdoAccessTables tables = Tables();
    RunGuarded(dialogs_, [&] { WriteCsvExport(context_, kSdoAccessSheet, SdoAccessExportLines(tables)); });
}

void TFsdo::ImportClick() {
    const auto workbook = dialogs_.ChooseOpenFile(context_.projectDirectory, kWorkbookFilter);
    if (!workbook) return;
    SdoAccessTables tables;
    ImportSdoAccess(dialogs_, *workbook, tables);
    ShowTables(tables);
}

}  // namespace kestrova
