#include "gui/tools/about_window.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <functional>

#include "gui/app/main_window.h"

namespace kestrova {
namespace {

void OpenMakerPage() { QDesktopServices::openUrl(QUrl(kMakerWebPage)); }

// The picture at the left: a gateway drawn as two buses meeting in a box.
QPixmap Picture() {
    QPixmap picture(81, 81);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1F, 0x4E, 0x9A), 4));
    painter.drawLine(4, 28, 24, 28);
    painter.drawLine(57, 53, 77, 53);
    painter.setBrush(QColor(0x1F, 0x4E, 0x9A));
    painter.drawRoundedRect(QRectF(22, 14, 37, 53), 6, 6);
    QFont font = painter.font();
    font.setPixelSize(30);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(22, 14, 37, 53), Qt::AlignCenter, "K");
    return picture;
}

// A label that runs `action` when clicked.
class ClickableLabel : public QLabel {
public:
    ClickableLabel(std::function<void()> action, QWidget* parent) : QLabel(parent), action_(std::move(action)) {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) action_();
    }

private:
    std::function<void()> action_;
};

QLabel* Named(QLabel* label, const char* name) {
    label->setObjectName(name);
    return label;
}

QLabel* LinkLabel(const QString& text, const char* name, std::function<void()> action, QWidget* parent) {
    auto* link = new ClickableLabel(std::move(action), parent);
    link->setText(text);
    link->setStyleSheet("color: blue; text-decoration: underline;");
    return Named(link, name);
}

}  // namespace

TFAbout::TFAbout(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("TFAbout");
    setWindowTitle("About...");

    auto* picture = new ClickableLabel(OpenMakerPage, this);
    picture->setObjectName("picture");
    picture->setPixmap(Picture());
    picture->setFixedSize(81, 81);

    auto* title = Named(new QLabel("Software Kestrova ", this), "title");
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    auto* mail = LinkLabel(
        kMakerMail, "mailLink", [] { QDesktopServices::openUrl(QUrl(QString("mailto:") + kMakerMail)); }, this);
    mail->hide();
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(picture, 0, 0, 5, 1, Qt::AlignTop);
    grid->addWidget(title, 0, 1, 1, 2);
    grid->addWidget(Named(new QLabel("J1939 / PROFIBUS Slave - Converter", this), "subtitle"), 1, 1, 1, 2);
    const char* pairs[][3] = {{"Software Code : ", "CQ48120", "softwareCode"},
                              {"Version :", "1.401", "version"},
                              {"Document Code :", "DM48120", "documentCode"}};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(pairs[i][0], this), 2 + i, 1);
        grid->addWidget(Named(new QLabel(pairs[i][1], this), pairs[i][2]), 2 + i, 2);
    }
    grid->addWidget(LinkLabel("www.quorvane.com", "webLink", OpenMakerPage, this), 5, 0, 1, 2);
    grid->addWidget(mail, 5, 1);
    grid->addWidget(ok, 5, 2, Qt::AlignRight);
    setFixedSize(389, 152);
}

void TFAbout::ShowModal() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())  // centred on the screen
        move(screen->availableGeometry().center() - rect().center());
    exec();
}

}  // namespace kestrova
