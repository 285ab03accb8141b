#pragma once

#include <QFont>
#include <QSize>
#include <QString>

namespace FontFit {

constexpr int LargestTried = 199;
// What largestFittingPointSize() answers when even the largest size tried fits.
constexpr int AllFit = 999;

// The largest point size from 1 to LargestTried at which `sample` in `font` fits `box`: the size
// before the first one that overflows it, 0 when even 1 does, AllFit when none does. Text only
// grows with its point size, so bisection finds what trying every size would; `measured`, when
// given, receives how many sizes were measured.
int largestFittingPointSize(const QFont &font, const QString &sample, const QSize &box, int *measured = nullptr);

} // namespace FontFit
