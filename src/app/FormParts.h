#pragma once
// Building blocks of the main window's tabs: named controls with their captions, hints, bounds
// and defaults, the tab frame (header strip and decorative column) and the program's pictures,
// which are drawn rather than loaded so the program carries no picture files.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

class QAbstractButton;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace formparts {

// Colour of the header strips and of the large titles.
inline const QColor kHeaderColour(240, 202, 166);
inline const QColor kTitleColour(128, 0, 0);

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QString& hint = {});
QCheckBox* check(QWidget* parent, const char* name, const QString& caption, bool on);
QRadioButton* radio(QWidget* parent, const char* name, const QString& caption, bool on);
// Whole-number field; a value set or typed outside the bounds becomes the nearest bound.
QSpinBox* whole(QWidget* parent, const char* name, int lo, int hi, int step, int value);
// Decimal field with two decimals, bounded the same way.
QDoubleSpinBox* decimal(QWidget* parent, const char* name, double lo, double hi, double step,
                        double value);
QLabel* label(QWidget* parent, const QString& text, QWidget* buddy = nullptr);

// A tab page: the decorative column on the left, the header strip with `header` in bold above
// `content`. `content` is re-parented.
QWidget* tabPage(const QString& header, QWidget* content);

// The program's picture (a sheet of paper turning into a bound document), `size` pixels square.
QPixmap programPicture(int size);
// Quarter-turn arrows for the rotate buttons.
QIcon rotateIcon(bool left);

} // namespace formparts
