#include "app/Dialogs.h"

#include <QMessageBox>
#include <QString>

void MessageBoxSink::showMessage(const std::string& caption, const std::string& text,
                                 qly::MessageIcon icon) {
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case qly::MessageIcon::Information:
        qicon = QMessageBox::Information;
        break;
    case qly::MessageIcon::Warning:
        qicon = QMessageBox::Warning;
        break;
    case qly::MessageIcon::Error:
        qicon = QMessageBox::Critical;
        break;
    case qly::MessageIcon::Question:
        qicon = QMessageBox::Question;
        break;
    case qly::MessageIcon::None:
        break;
    }
    QMessageBox box(qicon, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}
