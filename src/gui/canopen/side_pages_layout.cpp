#include "gui/canopen/side_pages_layout.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kestrova {

void LayOutSidePages(QDialog& dialog, QTabWidget* pages, const SidePagesActions& actions) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const struct {
        const char* caption;
        const char* name;
        const std::function<void()>& action;
    } row[] = {{"OK", "okButton", actions.ok},
               {"Cancel", "cancelButton", actions.cancel},
               {"Export", "exportButton", actions.exportFile},
               {"Import", "importButton", actions.importFile}};
    for (const auto& entry : row) {
        auto* button = new QPushButton(entry.caption, &dialog);
        button->setObjectName(entry.name);
        buttons->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, &dialog, entry.action);
        if (entry.action == nullptr) button->setEnabled(false);
    }
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(pages);
    layout->addLayout(buttons);
    KeepEnterInFields(dialog);
}

void KeepEnterInFields(QDialog& dialog) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
}

}  // namespace kestrova
