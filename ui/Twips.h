#pragma once
// Screen measures in twips (1/1440 inch) and the one conversion between twips and pixels.

#include <QRect>

#include <algorithm>
#include <cmath>

inline constexpr int twips_per_pixel = 15;

constexpr double to_twips(int pixels)
{
    return double(pixels) * twips_per_pixel;
}

// The nearest pixel: positions computed in twips may be fractional, the window system rounds them.
inline int to_pixels(double twips)
{
    return int(std::lround(twips / twips_per_pixel));
}

// The fewest whole pixels that cover `twips`: for minimum sizes, which must not round below.
inline int to_pixels_at_least(double twips)
{
    return int(std::ceil(twips / twips_per_pixel - 1e-9));
}

struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double right() const { return left + width; }
    double bottom() const { return top + height; }
    bool operator==(const TwipRect&) const = default;
};

inline TwipRect to_twip_rect(const QRect& pixels)
{
    return { to_twips(pixels.x()), to_twips(pixels.y()), to_twips(pixels.width()), to_twips(pixels.height()) };
}

// Rounds the edges rather than the sizes, so that controls that meet in twips still meet in pixels
// and equal gaps stay equal.
inline QRect to_pixel_rect(const TwipRect& twips)
{
    const int left = to_pixels(twips.left);
    const int top = to_pixels(twips.top);
    const int right = to_pixels(twips.right());
    const int bottom = to_pixels(twips.bottom());
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}
