#include "gui/app/qt_dialogs.h"

#include "gui/app/folder_browser_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

namespace kestrova {
namespace {

QWidget* ActiveWindow() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

// The first pattern of the filter without "*." ("gsd"), for the save dialog's default suffix.
QString FirstSuffix(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    if (parts.size() < 2) return {};
    QString pattern = parts[1].split(';').first().trimmed();
    return pattern.startsWith("*.") && pattern.indexOf('*', 1) < 0 ? pattern.mid(2) : QString();
}

}  // namespace

QString QtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        if (!description.contains('(')) description += " (" + parts[i + 1] + ")";
        filters << description;
    }
    return filters.join(";;");
}

void QtDialogs::ShowMessage(MessageKind kind, const std::string& text) {
    QMessageBox box(ActiveWindow());
    switch (kind) {
        case MessageKind::Plain:
            box.setWindowTitle(kApplicationTitle);
            break;
        case MessageKind::Error:
            box.setWindowTitle("Error");
            box.setIcon(QMessageBox::Critical);
            break;
        case MessageKind::Warning:
            box.setWindowTitle("Warning");
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageKind::Information:
            box.setWindowTitle("Information");
            box.setIcon(QMessageBox::Information);
            break;
    }
    box.setText(QString::fromStdString(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

bool QtDialogs::AskYesNo(const std::string& question) {
    QMessageBox box(ActiveWindow());
    box.setWindowTitle(kApplicationTitle);
    box.setIcon(QMessageBox::Question);
    box.setText(QString::fromStdString(question));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtDialogs::ChooseFolder(const std::string& caption, const std::string& root,
                                                   const std::string& preselected) {
    FolderBrowserDialog browser(QString::fromStdString(root), ActiveWindow());
    browser.setWindowTitle(kApplicationTitle);
    browser.SetCaption(QString::fromStdString(caption));
    browser.Select(QString::fromStdString(preselected));
    if (browser.exec() != QDialog::Accepted) return std::nullopt;
    return browser.SelectedPath().toStdString();
}

std::optional<std::string> QtDialogs::ChooseOpenFile(const std::string& initialDirectory, const std::string& filter) {
    return ChooseOpenFileTitled({}, initialDirectory, filter);
}

std::optional<std::string> QtDialogs::ChooseOpenFileTitled(const std::string& title,
                                                           const std::string& initialDirectory,
                                                           const std::string& filter) {
    const QString path = QFileDialog::getOpenFileName(ActiveWindow(), QString::fromStdString(title),
                                                      QString::fromStdString(initialDirectory), QtNameFilters(filter));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

std::optional<std::string> QtDialogs::ChooseSaveFile(const std::string& initialDirectory, const std::string& filter) {
    QFileDialog dialog(ActiveWindow(), QString(), QString::fromStdString(initialDirectory), QtNameFilters(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(FirstSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

}  // namespace kestrova
