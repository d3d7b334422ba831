#pragma once
// Measures of windows and controls in twips, and where windows go on the screen.

#include "ui/Twips.h"

#include <QPointF>

class QWidget;

// The client area of a window in the window's own pixel coordinates: for a main window, the part
// under its menu bar (the central widget); for any other window, its whole inside.
QRect client_area(QWidget* window);

// The outer size of a window in twips: border and caption included where the window system draws
// them (a window not shown yet has none).
double outer_width(const QWidget* window);
double outer_height(const QWidget* window);

// The smaller of the client width and the outer width.
double client_width(QWidget* form);
// The smaller of the client height and the outer height less 750 (caption and menu bar).
double client_height(QWidget* form);
// The same two rules on measures already taken, all in twips.
double client_width(double client_area_width, double outer_width);
double client_height(double client_area_height, double outer_height);

// The part of the window's screen that panels and taskbars leave free, in twips.
TwipRect usable_screen_area(const QWidget* window);

// Where the top-left corner of a window of the given outer size goes: centred in the usable area,
// but never above or left of it, so that a window larger than the area still shows its caption
// and does not start under a taskbar at the left or top edge.
QPointF centred_position(double outer_width, double outer_height, const TwipRect& usable);

// Centres the main window in the usable screen area, clear of a taskbar on any edge.
void place_main_window(QWidget* form);
// The same for a secondary window; a minimised, maximised or full-screen window is left alone.
void center_window(QWidget* form);
