// The pickup monitor's zoom, origin and pixel mapping.
#include "monitor/pickup_view.h"

#include <algorithm>
#include <cmath>

namespace q3 {

namespace {
// Far outside any picture, yet small enough that sums of a few stay in an int.
constexpr double kPixelLimit = 1 << 24;
}  // namespace

void PickupView::resize(int width, int height) {
  m_width = std::max(width, kMinWidth);
  m_height = std::max(height, kMinHeight);
  m_x0 = fixedOrigin();
}

int PickupView::fixedOrigin() const {
  const int inner = m_width - 2 * kMargin;
  int x = inner * kOriginPercent / 100 + kMargin;
  // A negative share counts from the right edge, none means the middle.
  if (kOriginPercent < 0) x = m_width + x;
  if (kOriginPercent == 0) x = m_width / 2;
  return x;
}

void PickupView::setZoom(double zoom) {
  if (!std::isfinite(zoom) || zoom < kZoomMin) zoom = kZoomMin;
  if (zoom > kZoomMax) zoom = kZoomMax;
  m_zoom = std::exp2(std::round(std::log2(zoom)));
  if (m_zoom <= kZoomMin) m_x0 = fixedOrigin();
}

bool PickupView::wheel(bool up, int pointerX) {
  const double old = m_zoom;
  const double next = std::clamp(up ? old * 2 : old / 2, kZoomMin, kZoomMax);
  if (next == old) return false;
  m_zoom = next;
  if (next <= kZoomMin) {
    m_x0 = fixedOrigin();
  } else {
    const double x = pointerX - (pointerX - double(m_x0)) * next / old;
    m_x0 = toPixel(std::round(x));
  }
  return true;
}

void PickupView::pan(int dx) {
  if (m_zoom <= kZoomMin) return;
  m_x0 = toPixel(double(m_x0) + dx);
}

double PickupView::x(double pos, double rangeSpan) const {
  if (!(rangeSpan > 0)) return m_x0;
  return m_x0 + pos * (m_width / rangeSpan) * m_zoom;
}

double PickupView::position(double x, double rangeSpan) const {
  if (!(rangeSpan > 0)) return 0;
  return (x - m_x0) / ((m_width / rangeSpan) * m_zoom);
}

int PickupView::toPixel(double v) {
  if (std::isnan(v)) return 0;
  return int(std::clamp(v, -kPixelLimit, kPixelLimit));
}

}  // namespace q3
