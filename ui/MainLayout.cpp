// The main window's layout: the rules that re-place every control from the window's size, the
// designed places of the controls, and the glue that applies both to the real window.
#include "ui/MainLayout.h"

#include "ui/Placement.h"

#include <QWidget>

#include <algorithm>
#include <optional>

namespace {

constexpr double pane_gap = 15; // a directory list stands this far inside its drive selector
constexpr double heading_gap = 200; // a heading stands this far above its list
constexpr double frame_height = 650;
constexpr double command_button_height = 300;

void raise_to_minimum(double& outer, double& client_area, double minimum)
{
    if (outer < minimum) {
        // The client area grows with the outer size; the window itself follows in apply_layout.
        client_area += minimum - outer;
        outer = minimum;
    }
}

} // namespace

double client_width(const LayoutState& state)
{
    return client_width(state.client_area_width, state.outer_width);
}

double client_height(const LayoutState& state)
{
    return client_height(state.client_area_height, state.outer_height);
}

const QStringList& laid_out_controls()
{
    static const QStringList names = {
        QStringLiteral("lab_dir1"),
        QStringLiteral("Drive1"),
        QStringLiteral("Dir1"),
        QStringLiteral("lab_bytes_dir1"),
        QStringLiteral("lab_dir2"),
        QStringLiteral("Drive2"),
        QStringLiteral("Dir2"),
        QStringLiteral("lab_bytes_dir2"),
        QStringLiteral("lab_drop_to_see"),
        QStringLiteral("Text1"),
        QStringLiteral("lab_drop_to_delete"),
        QStringLiteral("Text2"),
        QStringLiteral("Picture1"),
        QStringLiteral("Picture2"),
        QStringLiteral("b_next_alignment"),
        QStringLiteral("List1"),
        QStringLiteral("List2"),
        QStringLiteral("List3"),
        QStringLiteral("List4"),
        QStringLiteral("List5"),
        QStringLiteral("lab_list1"),
        QStringLiteral("lab_list2"),
        QStringLiteral("lab_list3"),
        QStringLiteral("lab_list4"),
        QStringLiteral("lab_list5"),
        QStringLiteral("bot_list1"),
        QStringLiteral("bot_list2"),
        QStringLiteral("bot_list3"),
        QStringLiteral("bot_list4"),
        QStringLiteral("lab_drag_drop"),
        QStringLiteral("Frame_bottoni"),
        QStringLiteral("bot_compare_tree"),
        QStringLiteral("bot_compare"),
        QStringLiteral("bot_delete"),
        QStringLiteral("bot_cancel"),
        QStringLiteral("bot_exit"),
        QStringLiteral("history"),
    };
    return names;
}

const QStringList& frame_controls()
{
    static const QStringList names = {
        QStringLiteral("bot_compare_tree"),
        QStringLiteral("bot_compare"),
        QStringLiteral("bot_delete"),
        QStringLiteral("bot_cancel"),
        QStringLiteral("bot_exit"),
    };
    return names;
}

void form_resize(LayoutState& s)
{
    // Never smaller than the minimum size.
    if (s.minimised)
        return;
    raise_to_minimum(s.outer_height, s.client_area_height, min_outer_height);
    raise_to_minimum(s.outer_width, s.client_area_width, min_outer_width);

    // The rules below never change the visibility of "next subdir"; it is carried through.
    const bool next_visible = s.next_alignment_visible;

    TwipRect& lab_dir1 = s[u"lab_dir1"];
    TwipRect& lab_dir2 = s[u"lab_dir2"];
    TwipRect& drive1 = s[u"Drive1"];
    TwipRect& drive2 = s[u"Drive2"];
    TwipRect& dir1 = s[u"Dir1"];
    TwipRect& dir2 = s[u"Dir2"];
    TwipRect& bytes1 = s[u"lab_bytes_dir1"];
    TwipRect& bytes2 = s[u"lab_bytes_dir2"];
    TwipRect& text1 = s[u"Text1"];
    TwipRect& text2 = s[u"Text2"];
    TwipRect& next = s[u"b_next_alignment"];
    TwipRect* list[6] = { nullptr, &s[u"List1"], &s[u"List2"], &s[u"List3"], &s[u"List4"], &s[u"List5"] };
    TwipRect* heading[6]
        = { nullptr, &s[u"lab_list1"], &s[u"lab_list2"], &s[u"lab_list3"], &s[u"lab_list4"], &s[u"lab_list5"] };
    TwipRect* align[5] = { nullptr, &s[u"bot_list1"], &s[u"bot_list2"], &s[u"bot_list3"], &s[u"bot_list4"] };
    TwipRect& hint = s[u"lab_drag_drop"];
    TwipRect& frame = s[u"Frame_bottoni"];

    // Pane tops.
    drive1.top = drive2.top = 240;
    lab_dir1.top = lab_dir2.top = 40;

    // The first list and the first pane start at the left margin.
    list[1]->left = outer_margin;
    drive1.left = list[1]->left;

    // At start-up the button keeps its designed size.
    if (!s.starting_up) {
        next.width = 1000;
        next.height = 250;
    }

    const double cw = client_width(s);
    const double ch = client_height(s);

    // Pane width.
    drive1.width = std::min((cw - text1.width - text2.width - 5 * outer_margin) / 2, max_pane_width);

    // List width.
    const double list_width = (cw - 6 * outer_margin) / 5;
    for (int n = 1; n <= 5; ++n)
        list[n]->width = list_width;

    // Left to right: List1, List3, List5, List4, List2.
    list[3]->left = list[1]->right() + outer_margin;
    list[5]->left = list[3]->right() + outer_margin;
    list[4]->left = list[5]->right() + outer_margin;
    list[2]->left = list[4]->right() + outer_margin;

    // List tops, partly from the previous layout.
    const double previous_list1_top = list[1]->top;
    list[3]->top = list[4]->top = previous_list1_top - 300;
    list[1]->top = list[2]->top = bytes1.bottom() + 200;
    list[5]->top = align[1]->bottom() - list[5]->height;

    // Headings.
    heading[1]->top = heading[2]->top = list[1]->top - heading_gap;
    heading[5]->top = list[5]->top - heading_gap;
    heading[3]->top = heading[4]->top = list[3]->top - heading_gap;
    for (int n = 1; n <= 5; ++n) {
        heading[n]->width = list_width;
        heading[n]->left = list[n]->left;
    }

    // Align buttons.
    for (int n = 1; n <= 4; ++n) {
        align[n]->width = list_width;
        align[n]->left = list[n]->left;
    }
    // The free-space labels stand under their panes in the columns of List1 and List2: the
    // headings of List3 and List4 rise beside them, and a label left at its designed place would
    // lie across List4 once the window is wide.
    bytes1.left = list[1]->left;
    bytes1.width = list_width;
    bytes2.left = list[2]->left;
    bytes2.width = list_width;

    // Heights.
    const double list_height = ch - 4500;
    list[1]->height = list[2]->height = list_height;
    list[3]->height = list[4]->height = list_height + 200;
    list[5]->height = list_height + 1160;
    hint.top = list[5]->bottom() + 90;
    for (int n = 1; n <= 4; ++n)
        align[n]->top = list[n]->bottom() + 30;

    // Command frame along the bottom.
    frame.height = frame_height;
    frame.top = ch - frame_height - 100;
    frame.width = cw - outer_margin;
    frame.left = (cw - frame.width) / 2;
    hint.width = frame.width;
    hint.left = frame.left;

    // Command buttons, inside the frame.
    const double button_width = (frame.width - 6 * command_button_gap) / 5;
    double left = command_button_gap;
    for (const QString& name : frame_controls()) {
        TwipRect& button = s.controls[name];
        button.width = button_width;
        button.left = left;
        button.top = (frame.height - command_button_height) / 2;
        left = button.right() + command_button_gap;
    }

    // Drop targets, centred on the outer width.
    text1.left = (s.outer_width - text1.width - text2.width - outer_margin) / 2;
    next.left = (s.outer_width - next.width) / 2;
    next.top = text1.bottom() + 140;
    text2.left = text1.right() + outer_margin;

    // Pane 2 against the right edge.
    drive2.width = drive1.width;
    drive2.left = s.outer_width - drive2.width - outer_margin;

    // Labels and directory lists of the panes.
    lab_dir1.left = drive1.left;
    lab_dir1.width = drive1.width;
    lab_dir2.left = drive2.left;
    lab_dir2.width = drive2.width;
    s[u"lab_drop_to_see"].left = text1.left;
    s[u"lab_drop_to_delete"].left = text2.left;
    dir1.left = drive1.left + pane_gap;
    dir1.width = drive1.width - 2 * pane_gap;
    dir2.left = drive2.left + pane_gap;
    dir2.width = drive2.width - 2 * pane_gap;

    // Pictures on the drop targets.
    TwipRect& picture1 = s[u"Picture1"];
    TwipRect& picture2 = s[u"Picture2"];
    picture1.left = text1.left + (text1.width - picture1.width) / 2;
    picture2.left = text2.left + (text2.width - picture2.width) / 2;

    // History list.
    TwipRect& history = s[u"history"];
    history.width = cw - 120;
    history.height = s.outer_height - 690;

    s.next_alignment_visible = next_visible;
}

LayoutState designed_geometry()
{
    LayoutState s;
    s.outer_width = min_outer_width;
    s.outer_height = min_outer_height;
    // The largest client area the minimum size leaves: client_height caps it at 6480.
    s.client_area_width = min_outer_width;
    s.client_area_height = min_outer_height - 750;

    auto set = [&s](QStringView name, double top, double height, double width = 0) {
        TwipRect& r = s[name];
        r.top = top;
        r.height = height;
        r.width = width;
    };
    // Top band: pane labels, drive selectors, directory lists and free-space labels on both
    // sides; the drop targets with their labels and "next subdir" in the middle. The directory
    // lists and "next subdir" end above the heading of List5 (top 1805), which rises into the
    // middle column, so that no width brings a pane across it.
    set(u"lab_dir1", 40, 195);
    set(u"lab_dir2", 40, 195);
    set(u"Drive1", 240, 360);
    set(u"Drive2", 240, 360);
    set(u"Dir1", 615, 1185);
    set(u"Dir2", 615, 1185);
    set(u"lab_bytes_dir1", 1815, 790);
    set(u"lab_bytes_dir2", 1815, 790);
    set(u"lab_drop_to_see", 40, 420, 1350);
    set(u"lab_drop_to_delete", 40, 420, 1350);
    set(u"Text1", 480, 900, 1350);
    set(u"Text2", 480, 900, 1350);
    set(u"Picture1", 720, 480, 480);
    set(u"Picture2", 720, 480, 480);
    set(u"b_next_alignment", 1520, 250, 1000);

    // Lists band at the client height 6480, already settled: List1 and List2 start 200 below
    // the free-space labels, List3 and List4 300 above them and List5 ends level with bot_list1.
    const double list_height = 6480 - 4500;
    const double list1_top = 2805;
    const double align_height = 330;
    set(u"List1", list1_top, list_height);
    set(u"List2", list1_top, list_height);
    set(u"List3", list1_top - 300, list_height + 200);
    set(u"List4", list1_top - 300, list_height + 200);
    const double align1_bottom = list1_top + list_height + 30 + align_height;
    set(u"List5", align1_bottom - (list_height + 1160), list_height + 1160);
    for (int n = 1; n <= 5; ++n)
        set(QStringLiteral("lab_list%1").arg(n), 0, 195);
    for (int n = 1; n <= 4; ++n) {
        const TwipRect above = s[QStringLiteral("List%1").arg(n)];
        set(QStringLiteral("bot_list%1").arg(n), above.bottom() + 30, align_height);
    }
    // Two lines: the details of a pair, dir 1's file above dir 2's, down to the command frame.
    set(u"lab_drag_drop", 0, 450);
    set(u"Frame_bottoni", 0, frame_height);
    for (const QString& name : frame_controls())
        set(name, 0, command_button_height);
    // Where the history view shows it when it opens.
    s[u"history"].left = 20;

    // Every other place and width at the minimum size is what the rules give there.
    form_resize(s);
    return s;
}

// ---- The real window ----

namespace {

QPoint origin_in(QWidget* window, QWidget* widget)
{
    return widget == window ? QPoint() : widget->mapTo(window, QPoint());
}

// The origin, in window coordinates, of the area a control's rect is held in.
std::optional<QPoint> reference_origin(QWidget* window, const QString& name, const QRect& client)
{
    if (!frame_controls().contains(name))
        return client.topLeft();
    auto* frame = window->findChild<QWidget*>(QStringLiteral("Frame_bottoni"));
    if (!frame)
        return std::nullopt;
    return origin_in(window, frame);
}

QWidget* control(QWidget* window, const QString& name)
{
    return window->findChild<QWidget*>(name);
}

LayoutState measure(QWidget* window)
{
    LayoutState s;
    const QRect client = client_area(window);
    s.outer_width = outer_width(window);
    s.outer_height = outer_height(window);
    s.client_area_width = to_twips(client.width());
    s.client_area_height = to_twips(client.height());
    s.minimised = window->isMinimized();
    for (const QString& name : laid_out_controls()) {
        QWidget* widget = control(window, name);
        const std::optional<QPoint> origin = reference_origin(window, name, client);
        if (!widget || !origin)
            continue;
        const QPoint at = origin_in(window, widget->parentWidget()) + widget->pos() - *origin;
        s.controls[name] = to_twip_rect(QRect(at, widget->size()));
    }
    if (QWidget* next = control(window, QStringLiteral("b_next_alignment")))
        s.next_alignment_visible = next->isVisibleTo(window);
    return s;
}

// Writes back in the order of laid_out_controls(), so that a control placed inside another
// (a button in the frame) is placed after its container has moved.
void write_back(QWidget* window, const LayoutState& s)
{
    const QRect client = client_area(window);
    for (const QString& name : laid_out_controls()) {
        QWidget* widget = control(window, name);
        const auto found = s.controls.find(name);
        const std::optional<QPoint> origin = reference_origin(window, name, client);
        if (!widget || found == s.controls.end() || !origin)
            continue;
        const QRect pixels = to_pixel_rect(found->second);
        const QPoint in_parent = *origin + pixels.topLeft() - origin_in(window, widget->parentWidget());
        const QRect target(in_parent, pixels.size());
        if (widget->geometry() != target)
            widget->setGeometry(target);
    }
    if (QWidget* next = control(window, QStringLiteral("b_next_alignment"))) {
        if (next->isVisibleTo(window) != s.next_alignment_visible)
            next->setVisible(s.next_alignment_visible);
    }
}

} // namespace

void place_designed(QWidget* window)
{
    write_back(window, designed_geometry());
}

void apply_layout(QWidget* window, bool starting_up)
{
    if (window->isMinimized())
        return;
    const QSize outer = window->frameGeometry().size();
    const QSize minimum(to_pixels_at_least(min_outer_width), to_pixels_at_least(min_outer_height));
    if (outer.width() < minimum.width() || outer.height() < minimum.height()) {
        // The frame's share of the outer size stays what it is; only the window's own size changes.
        const QSize frame_extra = outer - window->size();
        window->resize(outer.expandedTo(minimum) - frame_extra);
    }
    LayoutState s = measure(window);
    s.starting_up = starting_up;
    form_resize(s);
    write_back(window, s);
}
