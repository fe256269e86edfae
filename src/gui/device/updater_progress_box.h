#pragma once

#include <QDialog>
#include <chrono>

class QLabel;
class QCloseEvent;

namespace kestrova {

// The modal box shown while the updater runs: says that it runs and for how long. It blocks
// input to the tool's other windows and cannot be closed by the user; Finish closes it.
class UpdaterProgressBox : public QDialog {
    Q_OBJECT
public:
    UpdaterProgressBox(std::chrono::milliseconds limit, QWidget* parent = nullptr);

    void Begin();
    void SetElapsed(std::chrono::milliseconds elapsed);
    void Finish();
    QString Text() const;

public slots:
    void reject() override {}  // Escape does not end the wait

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::chrono::milliseconds limit_;
    QLabel* text_;
    bool finished_ = false;
};

}  // namespace kestrova
