#include "gui/tools/xml_reader_writer_window.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <array>
#include <vector>

#include "core/project/error.h"
#include "gui/project/new_project_dialog.h"

namespace kestrova {
namespace {

constexpr int kTypeRole = Qt::UserRole;

// The image pair of a node type: a 16 by 16 tile with the type's letter, inverted when selected.
QIcon TypeIcon(TXMLNodeType type) {
    static const struct {
        char letter;
        QColor colour;
    } looks[] = {{'D', QColor(0x40, 0x60, 0xA0)},
                 {'E', QColor(0x30, 0x80, 0x40)},
                 {'A', QColor(0xB0, 0x70, 0x20)},
                 {'P', QColor(0x80, 0x40, 0x90)},
                 {'X', QColor(0x70, 0x70, 0x70)}};
    const auto& look = looks[static_cast<int>(type)];
    QIcon icon;
    for (const bool selected : {false, true}) {
        QPixmap tile(16, 16);
        tile.fill(Qt::transparent);
        QPainter painter(&tile);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(look.colour);
        painter.setBrush(selected ? QBrush(Qt::white) : QBrush(look.colour));
        painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
        QFont font = painter.font();
        font.setPixelSize(11);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(selected ? look.colour : QColor(Qt::white));
        painter.drawText(tile.rect(), Qt::AlignCenter, QString(QChar(look.letter)));
        painter.end();
        icon.addPixmap(tile, selected ? QIcon::Selected : QIcon::Normal);
    }
    return icon;
}

// The icons of the five node types, made once and shared by every item (kept to the end of the
// program, so that none outlives the application object).
const QIcon& IconOf(TXMLNodeType type) {
    static const auto* icons = new std::array<QIcon, 5>{
        TypeIcon(TXMLNodeType::Document), TypeIcon(TXMLNodeType::Element), TypeIcon(TXMLNodeType::Attribute),
        TypeIcon(TXMLNodeType::ProcessingInstruction), TypeIcon(TXMLNodeType::XmlDeclaration)};
    return (*icons)[static_cast<size_t>(type)];
}

// An item whose node type is its item type: the icon and the image number come from the type,
// so an item stores nothing but its text (a large tree is several hundred thousand items).
class XmlItem final : public QTreeWidgetItem {
public:
    XmlItem(TXMLNodeType type, const std::string& text)
        : QTreeWidgetItem(QStringList(QString::fromStdString(text)), UserType + static_cast<int>(type)) {}
    TXMLNodeType NodeType() const { return static_cast<TXMLNodeType>(type() - UserType); }
    QVariant data(int column, int role) const override {
        if (column == 0 && role == Qt::DecorationRole) return IconOf(NodeType());
        if (column == 0 && role == kTypeRole) return XmlItemImage(NodeType());
        return QTreeWidgetItem::data(column, role);
    }
};

XmlTreeItem ItemOf(const QTreeWidgetItem* row) {
    XmlTreeItem item;
    item.text = row->text(0).toStdString();
    item.type = static_cast<const XmlItem*>(row)->NodeType();
    for (int i = 0; i < row->childCount(); ++i) item.children.push_back(ItemOf(row->child(i)));
    return item;
}

}  // namespace

TFXML::TFXML(ProjectContext& context, Dialogs& dialogs, TFsaveproj& nameDialog, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      context_(context),
      dialogs_(dialogs),
      nameDialog_(nameDialog),
      tree_(new QTreeWidget(this)),
      openButton_(new QPushButton("Open ", this)),
      expandButton_(new QPushButton("Full Expand", this)),
      writeButton_(new QPushButton("Write", this)) {
    setObjectName("TFXML");
    setWindowTitle("XML Reader & Writer");
    tree_->setObjectName("tree");
    openButton_->setObjectName("openButton");
    expandButton_->setObjectName("expandButton");
    writeButton_->setObjectName("writeButton");
    for (auto* button : {openButton_, expandButton_, writeButton_}) button->setAutoDefault(false);
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setIconSize(QSize(16, 16));
    tree_->installEventFilter(this);
    tree_->viewport()->installEventFilter(this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(openButton_);
    buttons->addWidget(expandButton_);
    buttons->addStretch();
    buttons->addWidget(writeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(tree_);
    resize(520, 480);

    connect(openButton_, &QPushButton::clicked, this, &TFXML::OpenClick);
    connect(expandButton_, &QPushButton::clicked, this, &TFXML::FullExpandClick);
    connect(writeButton_, &QPushButton::clicked, this, &TFXML::WriteClick);
}

void TFXML::ShowModal() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())  // centred on the screen
        move(screen->availableGeometry().center() - rect().center());
    exec();
}

void TFXML::showEvent(QShowEvent* event) {
    tree_->clear();
    QDialog::showEvent(event);
}

void TFXML::OpenClick() {
    openButton_->setEnabled(false);
    const auto path =
        dialogs_.ChooseOpenFileTitled("Open XML File", context_.projectDirectory, "XML Files (*.xml)|*.xml");
    if (path) {
        try {
            Fill(ReadXmlWindowTable(*path));  // the parsed nodes are freed once the items exist
        } catch (const std::exception& error) {
            dialogs_.ShowMessage(MessageKind::Error, error.what());  // the tree stays as it was
        }
    }
    openButton_->setEnabled(true);
}

void TFXML::Fill(const TXMLNodeTable& table) {
    // Built apart from the view and handed to it whole: one change of the view, not one an item.
    const XmlItemTexts texts(table);
    std::vector<QTreeWidgetItem*> parents;
    QTreeWidgetItem* top = nullptr;
    ForEachXmlTreeNode(table, [&](TXMLNodeTable::Index node, size_t depth) {
        parents.resize(depth);
        auto* item = new XmlItem(table.Type(node), texts(node));
        if (depth == 0)
            top = item;
        else
            parents.back()->addChild(item);
        parents.push_back(item);
    });
    tree_->clear();
    tree_->addTopLevelItem(top);
}

void TFXML::FullExpandClick() { tree_->expandAll(); }

XmlTreeItem TFXML::Items() const {
    if (tree_->topLevelItemCount() == 0) return {};
    return ItemOf(tree_->topLevelItem(0));
}

void TFXML::WriteClick() {
    writeButton_->setEnabled(false);
    RunGuarded(dialogs_, [this] { WriteXmlTree(context_, Items()); });
    writeButton_->setEnabled(true);
}

void TFXML::RenameSelected() {
    QTreeWidgetItem* item = tree_->currentItem();
    if (!item || !item->isSelected()) return;
    nameDialog_.SetMode(TFsaveproj::Mode::EditXml);
    nameDialog_.SetEditText(item->text(0));
    if (nameDialog_.exec() == QDialog::Accepted) item->setText(0, nameDialog_.EditText());
}

bool TFXML::eventFilter(QObject* watched, QEvent* event) {
    // A right click renames the selected item without changing the selection.
    if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        RenameSelected();
        return true;
    }
    if (watched == tree_->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
        return true;
    if (watched == tree_ && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
        RenameSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kestrova
