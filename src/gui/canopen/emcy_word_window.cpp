#include "gui/canopen/emcy_word_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/canopen/csv_export.h"
#include "core/canopen/spreadsheet_import.h"
#include "core/editors/editor_commit.h"
#include "gui/canopen/side_pages_layout.h"

namespace kestrova {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

// The tree's images, our own: a word is a blue card with three lines, a bit a green dot;
// selected, both are drawn on a dark frame.
QPixmap NodeImage(bool word, bool selected) {
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (selected) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 128));
        painter.drawRoundedRect(QRectF(0, 0, 16, 16), 3, 3);
    }
    if (word) {
        painter.setPen(QColor(20, 40, 110));
        painter.setBrush(selected ? QColor(255, 255, 255) : QColor(170, 200, 255));
        painter.drawRect(QRectF(2.5, 2.5, 11, 11));
        painter.setPen(QColor(20, 40, 110));
        for (const qreal y : {5.5, 8.0, 10.5}) painter.drawLine(QPointF(4.5, y), QPointF(11.5, y));
    } else {
        painter.setPen(QColor(0, 90, 0));
        painter.setBrush(selected ? QColor(160, 255, 160) : QColor(40, 170, 40));
        painter.drawEllipse(QRectF(4.5, 4.5, 7, 7));
    }
    return image;
}

QIcon NodeIcon(bool word) {
    QIcon icon;
    icon.addPixmap(NodeImage(word, false), QIcon::Normal);
    icon.addPixmap(NodeImage(word, true), QIcon::Selected);
    return icon;
}

QLineEdit* Field(QWidget* parent, const QString& name) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    return field;
}

}  // namespace

TFWemcy::TFWemcy(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      context_(context),
      dialogs_(dialogs),
      tabs_(new QTabWidget(this)),
      icons_{NodeIcon(true), NodeIcon(false)} {
    setObjectName("TFWemcy");
    setWindowTitle("Define EMCY Word");

    tabs_->addTab(MakePage(CanSide::A), "CanA");
    tabs_->addTab(MakePage(CanSide::B), "CanB");

    LayOutSidePages(
        *this, tabs_,
        {[this] { OkClick(); }, [this] { reject(); }, [this] { ExportClick(); }, [this] { ImportClick(); }});
}

QWidget* TFWemcy::MakePage(CanSide side) {
    const bool a = side == CanSide::A;
    const QString suffix = a ? "A" : "B";
    auto* page = new QWidget;
    Page& controls = PageOf(side);

    controls.tree = new QTreeWidget(page);
    controls.tree->setObjectName("tree" + suffix);
    controls.tree->setHeaderHidden(true);
    controls.tree->setSelectionMode(QAbstractItemView::SingleSelection);
    controls.tree->setEditTriggers(QAbstractItemView::NoEditTriggers);

    controls.wordGroup = new QGroupBox(kWordCaptionEmpty, page);
    controls.wordGroup->setObjectName("wordGroup" + suffix);
    controls.bitGroup = new QGroupBox(kBitCaptionEmpty, controls.wordGroup);
    controls.bitGroup->setObjectName("bitGroup" + suffix);
    controls.index = Field(page, "indexEdit" + suffix);
    controls.subindex = Field(page, "subindexEdit" + suffix);
    controls.id = Field(page, "idEdit" + suffix);
    controls.maskByte1 = Field(page, "maskByte1Edit" + suffix);
    controls.maskByte2 = Field(page, "maskByte2Edit" + suffix);
    controls.emcyByte1 = Field(page, "emcyByte1Edit" + suffix);
    controls.emcyByte2 = Field(page, "emcyByte2Edit" + suffix);

    auto* bitLayout = new QGridLayout(controls.bitGroup);
    bitLayout->addWidget(new QLabel("Mask Byte 1"), 0, 0);
    bitLayout->addWidget(controls.maskByte1, 1, 0);
    bitLayout->addWidget(new QLabel(a ? "Mask byte 2" : "Mask Byte 2"), 2, 0);
    bitLayout->addWidget(controls.maskByte2, 3, 0);
    bitLayout->addWidget(new QLabel("Emcy byte 1"), 0, 1);
    bitLayout->addWidget(controls.emcyByte1, 1, 1);
    bitLayout->addWidget(new QLabel("Emcy Byte 2"), 2, 1);
    bitLayout->addWidget(controls.emcyByte2, 3, 1);

    auto* wordLayout = new QGridLayout(controls.wordGroup);
    wordLayout->addWidget(new QLabel(a ? "Index SDO BUS B" : "Index SDO BUS A"), 0, 0);
    wordLayout->addWidget(controls.index, 0, 1);
    wordLayout->addWidget(new QLabel(a ? "Subindex SDO BUS B" : "Subindex SDO BUS A"), 1, 0);
    wordLayout->addWidget(controls.subindex, 1, 1);
    wordLayout->addWidget(new QLabel(a ? "ID EMCY BUS A" : "ID EMCY BUS B"), 2, 0);
    wordLayout->addWidget(controls.id, 2, 1);
    wordLayout->addWidget(controls.bitGroup, 3, 0, 1, 2);

    auto* pageButtons = new QHBoxLayout;
    for (const auto& [text, handler] :
         {std::pair{"Delete", &TFWemcy::DeleteClick}, std::pair{"New", &TFWemcy::NewClick},
          std::pair{"Modify", &TFWemcy::ModifyClick}}) {
        auto* button = new QPushButton(text, page);
        button->setObjectName(QString(text).toLower() + "Button" + suffix);
        pageButtons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, side, handler = handler] { (this->*handler)(side); });
    }

    auto* right = new QVBoxLayout;
    right->addWidget(controls.wordGroup);
    right->addStretch();
    right->addLayout(pageButtons);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(controls.tree, 1);
    layout->addLayout(right, 1);

    connect(controls.tree, &QTreeWidget::itemSelectionChanged, this, [this, side] { ShowNode(side); });
    return page;
}

void TFWemcy::ShowModal() {
    Reload();
    exec();
}

void TFWemcy::Reload() {
    ClearPages();
    loaded_ = LoadedDocument(context_.documents.emcyWord);
    EmcyWordLoad load = LoadEmcyWords(loaded_.Path());
    words_ = std::move(load.pages);
    rowsRead_ = load.rows;
    FillTrees();
    if (load.message) dialogs_.ShowMessage(MessageKind::Plain, *load.message);
}

void TFWemcy::ClearPages() {
    words_ = {};
    for (Page& page : pages_) {
        page.tree->clear();
        for (QLineEdit* field :
             {page.index, page.subindex, page.id, page.maskByte1, page.maskByte2, page.emcyByte1, page.emcyByte2})
            field->clear();
    }
}

void TFWemcy::FillTrees() {
    for (const CanSide side : kCanSides) {
        PageOf(side).tree->clear();
        for (const TClWEmcy& word : words_.Side(side)) AddWordNode(side, word);
    }
}

void TFWemcy::AddWordNode(CanSide side, const TClWEmcy& word) {
    auto* node = new QTreeWidgetItem(PageOf(side).tree, {"W" + QString::number(word.number)});
    node->setIcon(0, icons_[0]);
    for (size_t bit = 0; bit < kEmcyWordBits; ++bit)
        (new QTreeWidgetItem(node, {"Bit" + QString::number(bit)}))->setIcon(0, icons_[1]);
}

std::optional<size_t> TFWemcy::SelectedPosition(CanSide side) const {
    const QList<QTreeWidgetItem*> selected = pages_[SideIndex(side)].tree->selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    const QTreeWidgetItem* item = selected.front();
    QTreeWidgetItem* parent = item->parent();
    if (!parent)
        return size_t(item->treeWidget()->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item))) * kTreeNodesPerWord;
    return size_t(item->treeWidget()->indexOfTopLevelItem(parent)) * kTreeNodesPerWord + 1 +
           size_t(parent->indexOfChild(const_cast<QTreeWidgetItem*>(item)));
}

void TFWemcy::ShowNode(CanSide side) {
    const auto position = SelectedPosition(side);
    if (!position) return;
    const EmcyTreeNode node = TreeNodeAt(*position);
    if (node.word >= words_.Side(side).size()) return;
    for (Page& page : pages_) {
        page.wordGroup->setTitle(Text(WordCaption(*position)));
        page.bitGroup->setTitle(Text(BitCaption(*position)));
    }
    Page& page = PageOf(side);
    const TClWEmcy& word = words_.Side(side)[node.word];
    page.index->setText(Text(word.index));
    page.subindex->setText(Text(word.subindex));
    page.id->setText(Text(word.id));
    if (!node.bit) {
        for (QLineEdit* field : {page.maskByte1, page.maskByte2, page.emcyByte1, page.emcyByte2}) field->clear();
        return;
    }
    const ClEbm& bit = word.bits[*node.bit];
    page.maskByte1->setText(Text(bit.maskByte1));
    page.maskByte2->setText(Text(bit.maskByte2));
    RunGuarded(dialogs_, [&] {
        const auto bytes = EmcyBytesOf(bit.combined);
        page.emcyByte1->setText(Text(bytes[0]));
        page.emcyByte2->setText(Text(bytes[1]));
    });
}

void TFWemcy::NewClick(CanSide side) {
    const Page& page = PageOf(side);
    if (const auto refusal = NewEmcyWord(words_, side, Text(page.index), Text(page.subindex), Text(page.id))) {
        dialogs_.ShowMessage(MessageKind::Plain, *refusal);
        return;
    }
    AddWordNode(side, words_.Side(side).back());
}

void TFWemcy::ModifyClick(CanSide side) {
    const auto position = SelectedPosition(side);
    if (!position) return;
    const EmcyTreeNode node = TreeNodeAt(*position);
    const Page& page = PageOf(side);
    if (!node.bit) {
        if (const auto refusal =
                ModifyEmcyWord(words_, side, node.word, Text(page.index), Text(page.subindex), Text(page.id)))
            dialogs_.ShowMessage(MessageKind::Plain, *refusal);
        return;
    }
    RunGuarded(dialogs_, [&] {
        ModifyEmcyBit(words_.Side(side).at(node.word), *node.bit, Text(page.maskByte1), Text(page.maskByte2),
                      Text(page.emcyByte1), Text(page.emcyByte2));
    });
}

void TFWemcy::DeleteClick(CanSide side) {
    const auto position = SelectedPosition(side);
    if (!position || TreeNodeAt(*position).bit) return;
    const size_t word = TreeNodeAt(*position).word;
    DeleteEmcyWord(words_, side, word);
    delete PageOf(side).tree->takeTopLevelItem(static_cast<int>(word));
    ShowNode(side);  // the tree selects a neighbour without telling
}

void TFWemcy::OkClick() {
    if (CommitLoadedRows(dialogs_, context_.projectDirectory, loaded_, rowsRead_,
                         [this] { SaveEmcyWords(context_.documents.emcyWord, words_); }))
        accept();
}

void TFWemcy::ExportClick() {
    RunGuarded(dialogs_, [this] { WriteCsvExport(context_, kEmcyWordSheet, EmcyWordExportLines(words_)); });
}

void TFWemcy::ImportClick() {
    const auto workbook = dialogs_.ChooseOpenFile(context_.projectDirectory, kWorkbookFilter);
    if (!workbook) return;
    ClearPages();
    ImportEmcyWords(dialogs_, *workbook, words_);
    FillTrees();
}

}  // namespace kestrova
