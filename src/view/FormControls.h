#pragma once
// Named controls with their captions, hints, bounds and defaults, as every form of the program
// builds them: the object name is the control's name in the program, so tests and the kept
// settings find it.

#include <QString>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace formcontrols {

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

} // namespace formcontrols
