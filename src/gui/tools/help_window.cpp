#include "gui/tools/help_window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>
#include <exception>

#include "core/tools/help_file.h"

namespace kestrova {

TFHelp::TFHelp(const ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), context_(context), dialogs_(dialogs), text_(new QTextEdit(this)) {
    setObjectName("TFHelp");
    setWindowTitle("Help");
    text_->setObjectName("helpText");
    text_->setReadOnly(true);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setLineWrapMode(QTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);
    resize(492, 397);
}

void TFHelp::FormShow() {
    try {
        const std::string text = ReadHelpText(context_);
        QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        if (shown.contains(QChar::ReplacementCharacter))  // not UTF-8: the Western code page
            shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        text_->setPlainText(shown);
    } catch (const std::exception&) {
        text_->clear();
        dialogs_.ShowMessage(MessageKind::Plain, "Impossible to read file Help");
    }
}

void TFHelp::ShowModal() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())  // centred on the screen
        move(screen->availableGeometry().center() - rect().center());
    FormShow();
    exec();
}

}  // namespace kestrova
