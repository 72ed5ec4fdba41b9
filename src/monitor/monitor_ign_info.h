// What a settings file saved now carries besides the image: on its VERSIONS
// line the unit's program date, time and version as the Bike page shows
// them (LabelVerze2, LabelVerze3, LabelVerze1), and while a port is open the
// three dwell calibration values of the monitor block.
#pragma once

#include "files/ign_writer.h"
#include "link/unit_texts.h"
#include "params/param_model.h"

namespace q3 {

IgnWriteInfo ignWriteInfo(const UnitTexts& shown, const MonitorBuffer& monitor, bool portOpen);

}  // namespace q3
