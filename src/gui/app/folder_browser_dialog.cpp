#include "gui/app/folder_browser_dialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kestrova {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kPopulatedRole = Qt::UserRole + 1;

QTreeWidgetItem* MakeItem(const QString& name, const QString& path) {
    auto* item = new QTreeWidgetItem(QStringList{name});
    item->setData(0, kPathRole, path);
    item->setData(0, kPopulatedRole, false);
    // Show an expander until the folder has been read.
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

}  // namespace

FolderBrowserDialog::FolderBrowserDialog(const QString& root, QWidget* parent)
    : QDialog(parent), root_(root), caption_(new QLabel(this)), tree_(new QTreeWidget(this)) {
    setObjectName("folderBrowser");
    tree_->setObjectName("folderTree");
    tree_->setHeaderHidden(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption_);
    layout->addWidget(tree_);
    layout->addWidget(buttons);
    resize(380, 420);

    auto* top = MakeItem(QDir(root_).dirName(), root_);
    tree_->addTopLevelItem(top);
    Populate(top);
    top->setExpanded(true);
    tree_->setCurrentItem(top);

    connect(tree_, &QTreeWidget::itemExpanded, this, &FolderBrowserDialog::Populate);
    connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) { item->setExpanded(!item->isExpanded()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void FolderBrowserDialog::SetCaption(const QString& caption) { caption_->setText(caption); }

void FolderBrowserDialog::Populate(QTreeWidgetItem* item) {
    if (item->data(0, kPopulatedRole).toBool()) return;
    item->setData(0, kPopulatedRole, true);
    const QString path = item->data(0, kPathRole).toString();
    const auto names = QDir(path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) item->addChild(MakeItem(name, path + "/" + name));
    item->setChildIndicatorPolicy(names.isEmpty() ? QTreeWidgetItem::DontShowIndicator
                                                  : QTreeWidgetItem::ShowIndicator);
}

QTreeWidgetItem* FolderBrowserDialog::Child(QTreeWidgetItem* item, const QString& name) {
    Populate(item);
    for (int i = 0; i < item->childCount(); ++i)
        if (item->child(i)->text(0) == name) return item->child(i);
    return nullptr;
}

void FolderBrowserDialog::Select(const QString& path) {
    QTreeWidgetItem* item = tree_->topLevelItem(0);
    const QString clean = QDir::cleanPath(path);
    const QString cleanRoot = QDir::cleanPath(root_);
    if (!path.isEmpty() && clean.startsWith(cleanRoot + "/")) {
        for (const QString& name : clean.mid(cleanRoot.size() + 1).split('/', Qt::SkipEmptyParts)) {
            QTreeWidgetItem* child = Child(item, name);
            if (!child) break;
            item->setExpanded(true);
            item = child;
        }
    }
    tree_->setCurrentItem(item);
    tree_->scrollToItem(item);
}

QString FolderBrowserDialog::SelectedPath() const {
    const QTreeWidgetItem* item = tree_->currentItem();
    return item ? item->data(0, kPathRole).toString() : root_;
}

}  // namespace kestrova
