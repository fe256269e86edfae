#include "gui/canopen/emcy_translation_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/editors/editor_commit.h"
#include "gui/canopen/side_pages_layout.h"

namespace kestrova {
namespace {

struct FieldTexts {
    EmcyText text;
    const char* label;
    const char* range;
};
// Top to bottom under the ID: each compare mask above its enable mask.
constexpr FieldTexts kFields[] = {
    {kEmcyId, "ID_EMCY", "(1..127)"},
    {kEmcyMaskEc, "Mask_error_code", "(0..65535)"},
    {kEmcyEnMaskEc, "Enabled_mask_error_code", "(0..65535)"},
    {kEmcyMaskEr, "MAsk_error_Reg", "(0..255)"},
    {kEmcyEnMaskEr, "Enabled_mask_error_Reg", "(0..255)"},
    {kEmcyMaskM1, "Mask_Manu1", "(0..65535)"},
    {kEmcyEnMaskM1, "Enabled_Mask_Manu1", "(0..65535)"},
    {kEmcyMaskM2, "Mask_Manu2", "(0..65535)"},
    {kEmcyEnMaskM2, "Enabled_Mask_Manu2", "(0..65535)"},
    {kEmcyMaskM3, "Mask_Manu3", "(0..255)"},
    {kEmcyEnMaskM3, "Enabled_Mask_Manu3", "(0..255)"},
};

struct SideTexts {
    const char* page;
    const char* enabled;
    const char* from;
    const char* to;
    const char* noTranslate;
    const char* modify;
};
constexpr SideTexts kSideTexts[] = {
    {"From CAN A", "Enabled_Traslate to CANB", "ID CANA EMCY ", "CANB EMCY at:", "No traslate ID CANA", "Modify ENCY"},
    {"From CAN B", "Enabled_Traslate to CANA", "ID CANB EMCY ", "CANA EMCY at:", "No traslate ID CANB", "Modify EMCY"},
};

constexpr const char* kPlacements[] = {nullptr,           "Error code byte  HIGH", "Error code byte LOW",
                                       "Error Reg",       "Manu1 byte HIGH",       "Manu1 byte LOW",
                                       "Manu2 byte HIGH", "Manu2 byte LOW",        "Manu3"};

QPushButton* Button(const char* caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

}  // namespace

TFemcy::TFemcy(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), context_(context), dialogs_(dialogs), tabs_(new QTabWidget(this)) {
    setWindowTitle("Set Traslate EMCY");
    for (CanSide side : kCanSides) tabs_->addTab(MakePage(side), kSideTexts[SideIndex(side)].page);

    LayOutSidePages(
        *this, tabs_,
        {[this] { OkClick(); }, [this] { reject(); }, [this] { ExportClick(); }, [this] { ImportClick(); }});
}

QWidget* TFemcy::MakePage(CanSide side) {
    const SideTexts& texts = kSideTexts[SideIndex(side)];
    const QString suffix = side == CanSide::A ? "A" : "B";
    PageWidgets& page = widgets_[SideIndex(side)];
    auto* widget = new QWidget(tabs_);

    page.list = new QListWidget(widget);
    page.list->setObjectName("list" + suffix);
    connect(page.list, &QListWidget::itemClicked, this,
            [this, side](QListWidgetItem* item) { ListClick(side, List(side)->row(item)); });
    // An item chosen with the keys is shown too, so that Modify and Delete act on the entry
    // the list highlights; the window's own selections block the list's signals.
    connect(page.list, &QListWidget::itemSelectionChanged, this, [this, side] {
        const QList<QListWidgetItem*> chosen = List(side)->selectedItems();
        if (!chosen.isEmpty()) ListClick(side, List(side)->row(chosen.first()));
    });

    page.enabled = new QCheckBox(texts.enabled, widget);
    auto* fields = new QGridLayout;
    fields->addWidget(page.enabled, 0, 0, 1, 3);
    int row = 1;
    for (const FieldTexts& field : kFields) {
        page.fields[field.text] = new QLineEdit(widget);
        page.fields[field.text]->setObjectName(QString(field.label) + suffix);
        fields->addWidget(new QLabel(field.label, widget), row, 0);
        fields->addWidget(page.fields[field.text], row, 1);
        fields->addWidget(new QLabel(field.range, widget), row, 2);
        ++row;
    }

    auto* group = new QGroupBox("Allias use", widget);
    page.placement = new QButtonGroup(group);
    auto* stacked = new QLabel(QString(texts.from) + "\nTraslate in\n" + texts.to, group);
    auto* radios = new QVBoxLayout;
    for (int code = 0; code < kEmcyPlacementCount; ++code) {
        auto* radio = new QRadioButton(code == 0 ? texts.noTranslate : kPlacements[code], group);
        page.placement->addButton(radio, code);
        radios->addWidget(radio);
    }
    auto* groupLayout = new QHBoxLayout(group);
    groupLayout->addWidget(stacked);
    groupLayout->addLayout(radios);

    auto* deleteButton = Button("Delete EMCY", "delete" + suffix, widget);
    auto* newButton = Button("New EMCY", "new" + suffix, widget);
    auto* modifyButton = Button(texts.modify, "modify" + suffix, widget);
    connect(deleteButton, &QPushButton::clicked, this, [this, side] { DeleteClick(side); });
    connect(newButton, &QPushButton::clicked, this, [this, side] { NewClick(side); });
    connect(modifyButton, &QPushButton::clicked, this, [this, side] { ModifyClick(side); });

    auto* right = new QVBoxLayout;
    right->addLayout(fields);
    right->addWidget(group);
    right->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(page.list);
    top->addLayout(right);
    auto* foot = new QHBoxLayout;
    for (QPushButton* button : {deleteButton, newButton, modifyButton}) foot->addWidget(button);
    auto* layout = new QVBoxLayout(widget);
    layout->addLayout(top);
    layout->addLayout(foot);
    ClearPage(side);
    return widget;
}

void TFemcy::ClearPage(CanSide side) {
    PageWidgets& page = widgets_[SideIndex(side)];
    pages_.Side(side) = EmcyPage();
    {
        const QSignalBlocker quiet(page.list);
        page.list->clear();
    }
    for (QLineEdit* field : page.fields) field->clear();
    page.enabled->setChecked(false);
    page.placement->button(0)->setChecked(true);
}

void TFemcy::ShowEntry(CanSide side, const TClEmcy& entry) {
    PageWidgets& page = widgets_[SideIndex(side)];
    for (size_t i = 0; i < kEmcyTextCount; ++i) page.fields[i]->setText(QString::fromStdString(entry.texts[i]));
    page.enabled->setChecked(entry.enabled);
    if (QAbstractButton* radio = page.placement->button(entry.code)) radio->setChecked(true);
}

// The lists from the model, the selected entries in the fields.
void TFemcy::ShowPages() {
    for (CanSide side : kCanSides) {
        const EmcyPage& page = pages_.Side(side);
        QListWidget* list = List(side);
        const QSignalBlocker quiet(list);
        list->clear();
        for (const std::string& item : page.items) list->addItem(QString::fromStdString(item));
        if (page.selected) {
            list->setCurrentRow(static_cast<int>(*page.selected));
            ShowEntry(side, page.entries.at(*page.selected));
        }
    }
}

void TFemcy::Reload() {
    for (CanSide side : kCanSides) ClearPage(side);
    loaded_ = LoadedDocument(context_.documents.emcyDef);
    EmcyLoad load = LoadEmcyTranslation(loaded_.Path());
    pages_ = std::move(load.pages);
    rowsRead_ = load.rows;
    ShowPages();
    tabs_->setCurrentIndex(0);
    if (load.message) dialogs_.ShowMessage(MessageKind::Plain, *load.message);
}

void TFemcy::ShowModal() {
    Reload();
    exec();
}

void TFemcy::ListClick(CanSide side, int row) {
    EmcyPage& page = pages_.Side(side);
    if (row < 0 || static_cast<size_t>(row) >= page.entries.size()) return;
    page.selected = static_cast<size_t>(row);
    ShowEntry(side, page.entries[*page.selected]);
}

EmcyForm TFemcy::FormOf(CanSide side) const {
    const PageWidgets& page = widgets_[SideIndex(side)];
    EmcyForm form;
    for (size_t i = 0; i < kEmcyTextCount; ++i) form.texts[i] = page.fields[i]->text().toStdString();
    form.enabled = page.enabled->isChecked();
    form.code = std::max(page.placement->checkedId(), 0);
    return form;
}

void TFemcy::ShowRefusal(const std::optional<std::string>& refusal) {
    if (refusal) dialogs_.ShowMessage(MessageKind::Plain, *refusal);
}

void TFemcy::NewClick(CanSide side) {
    const auto refusal = NewEmcy(pages_.Side(side), FormOf(side));
    ShowRefusal(refusal);
    if (refusal) return;
    const QSignalBlocker quiet(List(side));
    List(side)->addItem(QString::fromStdString(pages_.Side(side).items.back()));
    List(side)->setCurrentRow(List(side)->count() - 1);
}

void TFemcy::ModifyClick(CanSide side) {
    const auto refusal = ModifyEmcy(pages_.Side(side), FormOf(side));
    ShowRefusal(refusal);
    const EmcyPage& page = pages_.Side(side);
    if (!refusal && page.selected)
        List(side)->item(static_cast<int>(*page.selected))->setText(QString::fromStdString(page.items[*page.selected]));
}

void TFemcy::DeleteClick(CanSide side) {
    const auto selected = pages_.Side(side).selected;
    if (!selected) return;
    DeleteEmcy(pages_.Side(side));
    const QSignalBlocker quiet(List(side));
    delete List(side)->takeItem(static_cast<int>(*selected));
    List(side)->setCurrentRow(-1);
    List(side)->clearSelection();
}

void TFemcy::OkClick() {
    if (CommitLoadedRows(dialogs_, context_.projectDirectory, loaded_, rowsRead_,
                         [this] { WriteEmcyTranslation(context_.documents.emcyDef, pages_); }))
        accept();
}

void TFemcy::ExportClick() {
    RunGuarded(dialogs_, [this] { WriteCsvExport(context_, kEmcySheet, EmcyExportLines(pages_)); });
}

void TFemcy::ImportClick() {
    const auto workbook = dialogs_.ChooseOpenFile(context_.projectDirectory, kWorkbookFilter);
    if (!workbook) return;
    for (CanSide side : kCanSides) ClearPage(side);
    ImportEmcyTranslation(dialogs_, *workbook, pages_);
    ShowPages();
}

}  // namespace kestrova
