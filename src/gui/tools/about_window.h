#pragma once

#include <QDialog>

namespace kestrova {

// The maker's information address behind the About window's hidden mail link.
inline constexpr const char* kMakerMail = "info@quorvane.com";

// "About...": the software's identity, version and document code, with the maker's web link.
class TFAbout : public QDialog {
    Q_OBJECT
public:
    explicit TFAbout(QWidget* parent = nullptr);

    void ShowModal();
};

}  // namespace kestrova
