// LIBS: q3monitor
// The pickup analysis on arbitrary sample blocks, and the capture-file reader
// on arbitrary text: the event list stays within its 600 entries, every
// position and the speed stay finite, measuring lines drawn anywhere snap to
// events or to nothing, and every pixel column is a defined int.
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "monitor/pickup_analyzer.h"
#include "monitor/pickup_capture_file.h"

namespace {

void checkPicture(const q3::PickupAnalyzer& m, const q3::PickupView& view) {
  assert(m.events().size() <= size_t(q3::PickupAnalyzer::kMaxEvents));
  assert(m.rangeSpan() > 0);
  for (const q3::PickupEvent& e : m.events()) {
    assert(std::isfinite(e.pos));
    (void)q3::PickupView::toPixel(view.x(e.pos, m.rangeSpan()));
  }
  if (!m.events().empty()) assert(std::isfinite(m.rpm()) && m.rpm() > 0);
  (void)m.rpmLabel();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  q3::PickupBlock b;
  b.state = data[0];
  b.selector = data[1];
  const int zoomSteps = data[2] % 12;
  const bool asFile = data[3] & 1;
  const std::span<const uint8_t> rest(data + 4, size - 4);

  static q3::PickupAnalyzer m;  // large: kept between runs like the window's engine
  q3::PickupView view;
  view.resize(100 + data[2] * 4, 200 + data[3]);
  for (int i = 0; i < zoomSteps; ++i) view.wheel(true, data[2] * 3);

  if (asFile) {
    const q3::PickupFileResult r = q3::parsePickupCapture(
        std::string_view(reinterpret_cast<const char*>(rest.data()), rest.size()));
    assert(r.ok == r.error.empty());
    assert(r.block.samples.size() <= size_t(q3::kPickupMaxSamples));
    if (r.ok) m.show(r.block);
  } else {
    b.samples = q3::decodePickupSamples(rest);
    m.show(b);
  }
  checkPicture(m, view);

  // Measuring lines dragged between points taken from the input.
  for (size_t i = 0; i + 4 <= rest.size() && i < 64; i += 4) {
    const int xs = int(rest[i]) * 4 - 100, ys = int(rest[i + 1]) * 2;
    const int xe = int(rest[i + 2]) * 4 - 100, ye = int(rest[i + 3]) * 2;
    if (auto d = m.dragDimension(view, xs, ys, xe, ye)) {
      assert(d->start < d->end);
      m.commitDimension(*d);
    }
  }
  assert(m.dimensions().size() <= size_t(q3::PickupAnalyzer::kMaxDimensions));
  for (const q3::PickupDimension& d : m.dimensions()) {
    const q3::PickupDimension r = m.resolve(d);
    assert(std::isfinite(r.start) && std::isfinite(r.end));
    (void)m.dimensionLabel(r);
  }
  if (rest.size() & 1) m.clearDimensions();
  return 0;
}
