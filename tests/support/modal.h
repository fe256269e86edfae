#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace kestrova::testing {

// Runs `action` on the next modal window once it is shown (from inside its event loop), so a
// test can drive a dialog that the code under test opens with exec().
inline void WhenModalShown(std::function<void(QWidget*)> action, int attempts = 200) {
    QTimer::singleShot(10, [action = std::move(action), attempts]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            action(modal);
        } else if (attempts > 0) {
            WhenModalShown(std::move(action), attempts - 1);
        }
    });
}

}  // namespace kestrova::testing
