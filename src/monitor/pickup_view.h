// Where the pickup monitor draws: the client size, the horizontal zoom (1..1024
// in powers of two) and the drawing origin x0, and the mapping of a position
// in degrees to a pixel column. Vertical positions are fixed whatever the zoom.
// Widget-free, so the window, the benchmarks and the tests share it.
#pragma once

#include <cstdint>

namespace q3 {

// Fixed rows of the picture (pixels from the top).
struct PickupRows {
  static constexpr int kArrowTop = 10;
  static constexpr int kArrowBottom = 100;
  static constexpr int kSignal1High = 200;
  static constexpr int kSignal1Low = 250;
  static constexpr int kSignal2High = 300;
  static constexpr int kSignal2Low = 350;
};

class PickupView {
 public:
  static constexpr int kMargin = 20;
  static constexpr int kOriginPercent = 25;
  static constexpr double kZoomMin = 1;
  static constexpr double kZoomMax = 1024;
  static constexpr int kMinWidth = kMargin + 10;
  static constexpr int kMinHeight = 25;

  PickupView() { resize(800, 600); }

  // A new client size (enlarged to at least kMinWidth x kMinHeight); the
  // origin goes back to its fixed place.
  void resize(int width, int height);
  int width() const { return m_width; }
  int height() const { return m_height; }

  double zoom() const { return m_zoom; }
  // The nearest allowed zoom (a power of two within 1..1024); at 1 the origin
  // is the fixed one.
  void setZoom(double zoom);
  int x0() const { return m_x0; }
  // The origin at zoom 1: (width - 2 margin) x 25 % + margin.
  int fixedOrigin() const;

  // One wheel notch (up: zoom doubles, down: halves) with the pointer at
  // client x pointerX, which stays over the same position. False when the zoom
  // was already at its limit.
  bool wheel(bool up, int pointerX);
  // Middle-button drag: moves the origin by dx pixels (not at zoom 1, where
  // the origin is fixed).
  void pan(int dx);

  // The pixel column of a position in degrees, for a display range of
  // rangeSpan degrees (range end - range start): x0 + pos x width / span x zoom.
  double x(double pos, double rangeSpan) const;
  // The position in degrees under pixel column x.
  double position(double x, double rangeSpan) const;

  // A coordinate in pixels as an int, safe for any double: NaN and values far
  // outside the picture are clamped (their conversion would be undefined).
  static int toPixel(double v);

 private:
  int m_width = 0;
  int m_height = 0;
  double m_zoom = 1;
  int m_x0 = 0;
};

}  // namespace q3
