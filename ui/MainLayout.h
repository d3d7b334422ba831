#pragma once
// The main window's layout: the rules that re-place every control from the window's size, the
// designed places of the controls, and the glue that applies both to the real window.

#include "ui/Twips.h"

#include <QString>
#include <QStringList>

#include <map>

class QWidget;

inline constexpr double min_outer_width = 9615;
inline constexpr double min_outer_height = 7230;
inline constexpr double max_pane_width = 10500;
inline constexpr double outer_margin = 300;
inline constexpr double command_button_gap = 100;

// Everything the layout reads and writes, in twips. Controls are held by name; those inside the
// command frame `Frame_bottoni` are relative to the frame, all others to the client area.
// (A map, not a hash: the rules hold references to several rects while they add others.)
struct LayoutState {
    std::map<QString, TwipRect> controls;
    double outer_width = 0;
    double outer_height = 0;
    // The client area as the window system measures it (pixels × 15).
    double client_area_width = 0;
    double client_area_height = 0;
    bool minimised = false;
    bool starting_up = false;
    bool next_alignment_visible = false;

    // The rect of a control; a control not held yet starts as an empty rect at 0,0.
    TwipRect& operator[](QStringView name) { return controls[name.toString()]; }
};

// The measures of Placement.h on a state.
double client_width(const LayoutState& state);
double client_height(const LayoutState& state);

// Every control the layout places, in the order they are written back (a frame before the
// buttons in it).
const QStringList& laid_out_controls();
// The command buttons, which live inside `Frame_bottoni`.
const QStringList& frame_controls();

// Re-places every control from the window's current size. Positions that the rules derive from
// the previous layout (the tops of List3, List4 and List5) settle on the second run.
void form_resize(LayoutState& state);

// The places of all controls at the minimum outer size 9615 × 7230, including those the rules
// never set: the panes' heights, the drop targets, the free-space labels' heights.
LayoutState designed_geometry();

// Gives the window's controls their designed places; controls the window lacks are skipped.
void place_designed(QWidget* window);
// Measures the window, raises it to the minimum size when it is smaller, runs `form_resize` and
// gives every control the window has its new place. A minimised window is left alone.
void apply_layout(QWidget* window, bool starting_up);
