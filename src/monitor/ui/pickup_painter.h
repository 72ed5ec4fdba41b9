// Paints the pickup monitor's picture into an off-screen image: the period
// box, ignition arrows with their labels, both traces with their edges and
// guide lines, the measuring lines, the engine speed and the legends of the
// colour slots. The window PickupScopeWindow and the benchmarks use it.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

#include "monitor/pickup_analyzer.h"
#include "monitor/pickup_settings.h"
#include "monitor/pickup_view.h"

namespace q3 {

struct PickupLegend {
  QPoint at;  // top left of the text
  QString text;
};

struct PickupScene {
  const PickupAnalyzer* engine = nullptr;
  const PickupView* view = nullptr;
  const PickupMonitorSettings* settings = nullptr;
  const PickupDimension* preview = nullptr;  // the dimension being drawn, if any
  std::vector<PickupLegend> legends;
  QString note;  // shown in red beside the speed ("frozen ...")
};

// What the painting leaves for the mouse: where each dimension's text went.
struct PickupHits {
  std::vector<QRect> dimensionTexts;  // one per committed dimension
};

// Paints the scene into image (cleared to black first; its size is the view's).
void paintPickup(QImage& image, const PickupScene& scene, PickupHits* hits = nullptr);

}  // namespace q3
