#pragma once
// Named controls with their captions, hints, bounds and defaults, as every form of the program
// builds them: the object name is the control's name in the program, so tests and the kept
// settings find it.

#include <QString>

class QCheckBox;
class QDoubleSpinBox;
class QIcon;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QToolButton;
class QWidget;

namespace formcontrols {

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QString& hint = {});
// A button that shows only `icon`. Its hint is its tool tip and, as there is no text a screen
// reader could read, its accessible name too.
QToolButton* iconButton(QWidget* parent, const char* name, const QString& hint, const QIcon& icon);
QCheckBox* check(QWidget* parent, const char* name, const QString& caption, bool on);
QRadioButton* radio(QWidget* parent, const char* name, const QString& caption, bool on);
// Whole-number field; a value set or typed outside the bounds becomes the nearest bound.
QSpinBox* whole(QWidget* parent, const char* name, int lo, int hi, int step, int value);
// Decimal field with two decimals, bounded the same way.
QDoubleSpinBox* decimal(QWidget* parent, const char* name, double lo, double hi, double step,
                        double value);
QLabel* label(QWidget* parent, const QString& text, QWidget* buddy = nullptr);

} // namespace formcontrols
