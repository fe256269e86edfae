#include "gui/replay/replay_trace_window.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/replay/trace_replay.h"

namespace kestrova {
namespace {

QPlainTextEdit* TextBox(const char* name, QWidget* parent) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return box;
}

}  // namespace

TFReplay::TFReplay(const ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      context_(context),
      dialogs_(dialogs),
      trace_(new QLabel(this)),
      summary_(TextBox("summaryText", this)),
      input_(TextBox("inputAreaText", this)) {
    setObjectName("TFReplay");
    setWindowTitle("Replay Trace");
    trace_->setObjectName("tracePath");
    trace_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* close = new QPushButton("Close", this);
    close->setObjectName("closeButton");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(trace_);
    layout->addWidget(summary_, 3);
    layout->addWidget(input_, 2);
    layout->addLayout(buttons);
    resize(900, 640);
}

bool TFReplay::Replay(const std::string& tracePath) {
    ReplayRun run;
    if (!RunGuarded(dialogs_, [&] { run = RunReplay(context_, tracePath); })) return false;
    trace_->setText(QString::fromStdString("Replay of " + tracePath + " through " + context_.projectDirectory));
    summary_->setPlainText(QString::fromStdString(ReplaySummaryText(run.project, run.result)));
    input_->setPlainText(QString::fromStdString(ReplayInputAreaText(run.project, run.result)));
    inputBytes_ = run.result.inputArea;
    return true;
}

std::vector<uint8_t> TFReplay::ShowModal() {
    inputBytes_.clear();
    const auto path = dialogs_.ChooseOpenFileTitled("Replay Trace", context_.projectDirectory, kTraceFileFilter);
    if (!path || !Replay(*path)) return {};
    exec();
    return inputBytes_;
}

std::vector<uint8_t> RunReplayTrace(const ProjectContext& context, Dialogs& dialogs, QWidget* parent) {
    TFReplay window(context, dialogs, parent);
    return window.ShowModal();
}

}  // namespace kestrova
