// Measures of windows and controls in twips, and where windows go on the screen.
#include "ui/Placement.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

namespace {

// What the caption and the menu bar take from the outer height.
constexpr double caption_and_menu_height = 750;

void move_to(QWidget* form, const QPointF& top_left)
{
    form->move(to_pixels(top_left.x()), to_pixels(top_left.y()));
}

} // namespace

QRect client_area(QWidget* window)
{
    auto* main = qobject_cast<QMainWindow*>(window);
    if (!main || !main->centralWidget())
        return window->rect();
    // A visible window's layout has already followed every resize; a hidden one only learns of a
    // new size when it is shown, so it is laid out here to give the central widget its place.
    if (!main->isVisible()) {
        if (QLayout* layout = main->layout()) {
            layout->invalidate();
            layout->activate();
        }
    }
    return main->centralWidget()->geometry();
}

double outer_width(const QWidget* window)
{
    return to_twips(window->frameGeometry().width());
}

double outer_height(const QWidget* window)
{
    return to_twips(window->frameGeometry().height());
}

double client_width(double client_area_width, double outer_width)
{
    return std::min(client_area_width, outer_width);
}

double client_height(double client_area_height, double outer_height)
{
    return std::min(client_area_height, outer_height - caption_and_menu_height);
}

double client_width(QWidget* form)
{
    return client_width(to_twips(client_area(form).width()), outer_width(form));
}

double client_height(QWidget* form)
{
    return client_height(to_twips(client_area(form).height()), outer_height(form));
}

TwipRect usable_screen_area(const QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    return to_twip_rect(screen->availableGeometry());
}

QPointF centred_position(double outer_width, double outer_height, const TwipRect& usable)
{
    const double left = usable.left + (usable.width - outer_width) / 2;
    const double top = usable.top + (usable.height - outer_height) / 2;
    return { std::max(left, usable.left), std::max(top, usable.top) };
}

void place_main_window(QWidget* form)
{
    move_to(form, centred_position(outer_width(form), outer_height(form), usable_screen_area(form)));
}

void center_window(QWidget* form)
{
    if (form->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    move_to(form, centred_position(outer_width(form), outer_height(form), usable_screen_area(form)));
}
