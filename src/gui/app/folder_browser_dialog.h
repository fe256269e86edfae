#pragma once

#include <QDialog>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrova {

// A folder browser over one root folder: the root itself or any folder below it can be
// chosen, nothing outside it. Folders are read as the user expands them.
class FolderBrowserDialog : public QDialog {
    Q_OBJECT
public:
    explicit FolderBrowserDialog(const QString& root, QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    // Expands down to `path` and selects it when it lies below the root; otherwise the root.
    void Select(const QString& path);
    QString SelectedPath() const;

private:
    void Populate(QTreeWidgetItem* item);
    QTreeWidgetItem* Child(QTreeWidgetItem* item, const QString& name);

    QString root_;
    QLabel* caption_;
    QTreeWidget* tree_;
};

}  // namespace kestrova
