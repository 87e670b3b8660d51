#include "view/FormControls.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

namespace formcontrols {

QPushButton* button(QWidget* parent, const char* name, const QString& caption,
                    const QString& hint) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
    }
    return b;
}

QToolButton* iconButton(QWidget* parent, const char* name, const QString& hint, const QIcon& icon) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAccessibleName(hint);
    b->setIcon(icon);
    return b;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& caption, bool on) {
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    c->setChecked(on);
    return c;
}

QRadioButton* radio(QWidget* parent, const char* name, const QString& caption, bool on) {
    auto* r = new QRadioButton(caption, parent);
    r->setObjectName(name);
    r->setChecked(on);
    return r;
}

QSpinBox* whole(QWidget* parent, const char* name, int lo, int hi, int step, int value) {
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(lo, hi);
    s->setSingleStep(step);
    s->setValue(value);
    s->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    return s;
}

QDoubleSpinBox* decimal(QWidget* parent, const char* name, double lo, double hi, double step,
                        double value) {
    auto* s = new QDoubleSpinBox(parent);
    s->setObjectName(name);
    s->setDecimals(2);
    s->setRange(lo, hi);
    s->setSingleStep(step);
    s->setValue(value);
    s->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    return s;
}

QLabel* label(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, parent);
    if (buddy != nullptr) {
        l->setBuddy(buddy);
    }
    return l;
}

} // namespace formcontrols
