#pragma once
// Building blocks of the main window's tabs: named controls with their captions, hints, bounds
// and defaults, the tab frame (header strip and decorative column) and the program's pictures,
// which are drawn rather than loaded so the program carries no picture files.

#include "view/FormControls.h"

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

class QWidget;

namespace formparts {

// Colour of the header strips and of the large titles.
inline const QColor kHeaderColour(240, 202, 166);
inline const QColor kTitleColour(128, 0, 0);

// The named controls every form of the program is built from.
using formcontrols::button;
using formcontrols::check;
using formcontrols::decimal;
using formcontrols::iconButton;
using formcontrols::label;
using formcontrols::radio;
using formcontrols::whole;

// A tab page: the decorative column on the left, the header strip with `header` in bold above
// `content`. `content` is re-parented.
QWidget* tabPage(const QString& header, QWidget* content);

// The program's picture (a sheet of paper turning into a bound document), `size` pixels square.
QPixmap programPicture(int size);
// Quarter-turn arrows for the rotate buttons.
QIcon rotateIcon(bool left);

} // namespace formparts
