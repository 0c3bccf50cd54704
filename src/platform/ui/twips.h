// Twips (1440 to the inch) to pixels: 15 twips to a pixel at 96 dpi.
#pragma once

#include <QRect>

namespace Twips {
constexpr int perPixel = 15;
constexpr int toPx(int twips) { return (twips >= 0 ? twips + perPixel / 2 : twips - perPixel / 2) / perPixel; }
constexpr int fromPx(int px) { return px * perPixel; }
inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPx(left), toPx(top), toPx(width), toPx(height));
}
} // namespace Twips
