// Window rectangle fitting.
#include "base/window_fit.h"

#include <algorithm>

namespace q3 {

int overhang(const WindowRect& r, const WindowRect& m) {
  return std::max(0, m.left - r.left) + std::max(0, r.right() - m.right()) +
         std::max(0, m.top - r.top) + std::max(0, r.bottom() - m.bottom());
}

WindowRect fitToMonitors(WindowRect r, const std::vector<WindowRect>& monitors) {
  if (monitors.empty()) return r;
  const WindowRect* best = &monitors.front();
  int bestSum = overhang(r, *best);
  for (const WindowRect& m : monitors) {
    int s = overhang(r, m);
    if (s < bestSum) {
      bestSum = s;
      best = &m;
    }
  }
  if (bestSum == 0) return r;
  const WindowRect& m = *best;
  if (r.width > m.width) r.width = m.width;
  if (r.height > m.height) r.height = m.height;
  if (r.right() > m.right()) r.left -= r.right() - m.right();
  if (r.bottom() > m.bottom()) r.top -= r.bottom() - m.bottom();
  if (r.left < m.left) r.left = m.left;
  if (r.top < m.top) r.top = m.top;
  if (r.right() > m.right()) r.width = m.right() - r.left;
  if (r.bottom() > m.bottom()) r.height = m.bottom() - r.top;
  return r;
}

}  // namespace q3
