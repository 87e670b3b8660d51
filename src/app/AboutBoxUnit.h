#pragma once
// The about window: the program's picture, name, version and maker, a button to the maker's web
// site and OK. "XXXX" in the copyright line becomes the current year.

#include <QDialog>

class QLabel;
class QPushButton;

// The maker's web site, opened by the window's web button and the about window.
inline constexpr const char* kHomepage = "https://www.torvand.de/quillory/";
inline constexpr const char* kHomepageCaption = "www.torvand.de";

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* Comments;
    QPushButton* wwwBtn;
    QPushButton* OKButton;
};
