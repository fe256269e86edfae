#include "gui/tools/select_string_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/tools/select_strings.h"

namespace kestrova {

TFSELstringhe::TFSELstringhe(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), grid_(new QTableWidget(this)), selected_(new QLabel("Sel str:", this)) {
    setObjectName("TFSELstringhe");
    setWindowTitle("Select String");
    grid_->setObjectName("grid");
    selected_->setObjectName("selectedLabel");
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->hide();
    auto* ok = new QPushButton("OK", this);
    auto* cancel = new QPushButton("Cancel", this);
    ok->setObjectName("okButton");
    cancel->setObjectName("cancelButton");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(grid_, &QTableWidget::currentCellChanged, this, [this](int row) { SelectCell(row); });

    auto* panel = new QHBoxLayout;
    panel->addWidget(ok);
    panel->addWidget(cancel);
    panel->addStretch();
    panel->addWidget(selected_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_);
    layout->addLayout(panel);
    resize(496, 351);
}

void TFSELstringhe::FormShow() {
    // The heading row is the grid's header; grid row r shows index r (table row r + 1).
    grid_->setColumnCount(2);
    grid_->setRowCount(static_cast<int>(kSelectStringCount));
    grid_->setHorizontalHeaderLabels({"Index", "String"});
    ReadSelectStrings(stringsPath_, strings_, dialogs_);
    for (int row = 0; row < grid_->rowCount(); ++row) {
        auto* index = new QTableWidgetItem(QString::number(row));
        index->setFlags(Qt::ItemIsEnabled);  // the fixed column
        index->setBackground(palette().button());
        grid_->setItem(row, 0, index);
        grid_->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(strings_[static_cast<size_t>(row)])));
    }
    const int row = selectedIndex_ >= 0 && selectedIndex_ < grid_->rowCount() ? selectedIndex_ : 0;
    grid_->setCurrentCell(row, 1);
    SelectCell(row);
}

int TFSELstringhe::ShowModal() {
    FormShow();
    return exec();
}

void TFSELstringhe::SelectCell(int row) {
    if (row < 0) return;
    selectedIndex_ = row;
    selected_->setText("Sel str: " + QString::number(selectedIndex_));
}

void TFSELstringhe::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    grid_->setColumnWidth(0, 40);
    grid_->setColumnWidth(1, std::max(0, grid_->width() - 70));
}

}  // namespace kestrova
