// The monitor values as comma-separated text: one row per monitor block,
// the same columns for `quelin3-tool monitor --csv`, `log csv` and the CSV
// export of a recording.
#pragma once

#include <string>

#include "monitor/ignlog_format.h"
#include "params/param_model.h"

namespace q3 {

// "rpm,load_mode,load,...,functions" (no line end).
std::string monitorCsvHeader();
// The values of one monitor buffer in the header's columns (no line end).
std::string monitorCsvRow(const MonitorBuffer& m);

// A recording as CSV: a header line with a first column time_ms, then one
// line per monitor record with its time.
std::string ignlogCsv(const IgnlogFile& file);

}  // namespace q3
