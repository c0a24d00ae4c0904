#pragma once
// The program's pictures: button glyphs and the About box picture drawn in code, and the
// program icon rendered from the desktop icon's SVG.

#include <QIcon>
#include <QPixmap>

namespace trophex::ui {

QIcon calibrateGlyph();  // three sliders
QIcon calculateGlyph();  // a pocket calculator
QIcon printGlyph();      // a printer with a sheet
QIcon saveGlyph();       // a diskette
QIcon openGlyph();       // an open folder
QIcon clearGlyph();      // an eraser
QIcon helpGlyph();       // a question mark on a blue disc
QIcon okGlyph();         // a green tick
QIcon defaultGlyph();    // a curved arrow turning back

QPixmap programIcon(int size);       // the desktop icon: a lake under a sun, with a Secchi disk
QPixmap secchiDiskPicture(QSize size);  // a Secchi disk lowered on its line into water

}  // namespace trophex::ui
