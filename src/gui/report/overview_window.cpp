#include "gui/report/overview_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/report/html_report.h"
#include "core/report/report_document.h"
#include "core/report/report_format.h"
#include "gui/replay/replay_trace_window.h"
#include "gui/report/byte_map_widget.h"
#include "report_pdf/pdf_report.h"

namespace kestrova {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The sections the byte map tab and the warning list show in their own way.
bool ShownElsewhere(const std::string& section) {
    return StartsWith(section, kInputSection) || StartsWith(section, kOutputSection) ||
           StartsWith(section, kWarningSection);
}

QTableWidget* TableView(const ReportTable& table, QWidget* parent) {
    auto* view = new QTableWidget(static_cast<int>(table.rows.size()), static_cast<int>(table.header.size()), parent);
    QStringList header;
    for (const auto& heading : table.header) header << Text(heading);
    view->setHorizontalHeaderLabels(header);
    view->verticalHeader()->hide();
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setWordWrap(false);
    for (size_t r = 0; r < table.rows.size(); ++r)
        for (size_t c = 0; c < table.rows[r].size() && c < table.header.size(); ++c) {
            auto* item = new QTableWidgetItem(Text(table.rows[r][c]));
            item->setToolTip(item->text());
            if (c == 0 && r < table.rowColours.size() && !table.rowColours[r].empty())
                item->setBackground(QColor(Text(table.rowColours[r])));
            view->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
    view->resizeColumnsToContents();
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

}  // namespace

TFOverview::TFOverview(ProjectContext& context, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent),
      context_(context),
      dialogs_(dialogs),
      heading_(new QLabel(this)),
      refusal_(new QLabel(this)),
      tabs_(new QTabWidget(this)),
      byteMap_(new ByteMapWidget),
      warningHeading_(new QLabel(this)),
      warnings_(new QListWidget(this)),
      status_(new QLabel(this)),
      replayButton_(new QPushButton("Replay Trace...", this)),
      saveButton_(new QPushButton("Save Report...", this)),
      closeButton_(new QPushButton("Close", this)) {
    setObjectName("TFOverview");
    setWindowTitle("Project Overview");
    heading_->setObjectName("headingLabel");
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    refusal_->setObjectName("refusalLabel");
    refusal_->setWordWrap(true);
    refusal_->setFont(bold);
    tabs_->setObjectName("tabs");
    warningHeading_->setObjectName("warningHeading");
    warningHeading_->setFont(bold);
    warnings_->setObjectName("warningList");
    warnings_->setToolTip("Double-click a warning to open the editor of its row");
    status_->setObjectName("statusLabel");
    replayButton_->setObjectName("replayTraceButton");
    replayButton_->setAutoDefault(false);
    saveButton_->setObjectName("saveReportButton");
    closeButton_->setObjectName("closeButton");
    saveButton_->setAutoDefault(false);
    closeButton_->setAutoDefault(false);

    auto* scroll = new QScrollArea;
    scroll->setObjectName("byteMapScroll");
    scroll->setWidget(byteMap_);
    scroll->setBackgroundRole(QPalette::Base);
    tabs_->addTab(scroll, "Byte map");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(replayButton_);
    buttons->addWidget(saveButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(refusal_);
    layout->addWidget(tabs_, 3);
    layout->addWidget(warningHeading_);
    layout->addWidget(warnings_, 1);
    layout->addLayout(buttons);
    resize(940, 720);
    setSizeGripEnabled(true);

    connect(warnings_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { OpenWarning(warnings_->row(item)); });
    connect(replayButton_, &QPushButton::clicked, this, &TFOverview::ReplayTraceClick);
    connect(saveButton_, &QPushButton::clicked, this, &TFOverview::SaveReportClick);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
}

bool TFOverview::Reload() {
    std::optional<ProjectSummary> summary;
    const bool loaded = RunGuarded(dialogs_, [&] { summary = BuildProjectSummary(context_); });
    summary_ = std::move(summary);
    Fill();
    return loaded;
}

void TFOverview::ShowModal() {
    if (Reload()) exec();
}

void TFOverview::Fill() {
    while (tabs_->count() > 1) {
        QWidget* page = tabs_->widget(1);
        tabs_->removeTab(1);
        delete page;
    }
    warnings_->clear();
    status_->clear();
    saveButton_->setEnabled(summary_.has_value());
    if (!summary_) {
        heading_->setText("Project Overview");
        refusal_->hide();
        byteMap_->SetMap(std::nullopt, "the project could not be read");
        byteMap_->resize(byteMap_->sizeHint());
        warningHeading_->setText(kWarningSection);
        return;
    }
    const ReportDocument document = BuildReportDocument(*summary_);
    heading_->setText(Text(document.title + "  (" + summary_->projectDirectory + ")"));
    refusal_->setText(Text("No byte map: " + summary_->refusal));
    refusal_->setVisible(!summary_->refusal.empty());
    byteMap_->SetMap(summary_->map, summary_->refusal);
    byteMap_->resize(byteMap_->sizeHint());

    QVBoxLayout* page = nullptr;
    for (const auto& block : document.blocks) {
        if (block.kind == ReportBlockKind::Section) {
            page = nullptr;
            if (ShownElsewhere(block.text)) continue;
            auto* widget = new QWidget;
            page = new QVBoxLayout(widget);
            tabs_->addTab(widget, Text(block.text));
        } else if (page && block.kind == ReportBlockKind::Paragraph) {
            auto* label = new QLabel(Text(block.text));
            label->setWordWrap(true);
            label->setTextInteractionFlags(Qt::TextSelectableByMouse);
            page->addWidget(label);
        } else if (page && block.kind == ReportBlockKind::Table) {
            page->addWidget(TableView(block.table, page->parentWidget()), 1);
        }
    }
    for (int i = 1; i < tabs_->count(); ++i)
        if (auto* layout = qobject_cast<QVBoxLayout*>(tabs_->widget(i)->layout())) layout->addStretch();

    warningHeading_->setText(
        Text(std::string(kWarningSection) + " (" + std::to_string(summary_->warnings.size()) + ")"));
    for (const auto& warning : summary_->warnings) warnings_->addItem(Text(warning.Text()));
    if (summary_->warnings.empty()) {
        auto* none = new QListWidgetItem("No warnings.", warnings_);
        none->setFlags(Qt::NoItemFlags);
    }
}

void TFOverview::OpenWarning(int index) {
    if (!summary_ || index < 0 || index >= static_cast<int>(summary_->warnings.size()) || !rowOpener_) return;
    const LintWarning warning = summary_->warnings[index];
    if (rowOpener_(warning.document, warning.row)) Reload();
}

void TFOverview::SaveReportClick() {
    if (!summary_) return;
    const auto path = dialogs_.ChooseSaveFile(context_.projectDirectory, kReportFileFilter);
    if (!path) return;
    const auto format = ReportFormatOf(*path);
    if (!format) {
        dialogs_.ShowMessage(MessageKind::Plain, ReportNameRefusal(*path));
        return;
    }
    const bool written = RunGuarded(dialogs_, [&] {
        if (*format == ReportFormat::Html)
            WriteHtmlReport(*summary_, *path);
        else
            WritePdfReport(*summary_, *path);
    });
    status_->setText(written ? Text("Report written to " + *path) : QString());
}

void TFOverview::ReplayTraceClick() {
    const std::vector<uint8_t> bytes = RunReplayTrace(context_, dialogs_, this);
    if (bytes.empty()) return;
    byteMap_->ShowInputBytes(bytes);
    tabs_->setCurrentIndex(0);
    status_->setText("Input data at the end of the replayed trace shown in the byte map");
}

}  // namespace kestrova
