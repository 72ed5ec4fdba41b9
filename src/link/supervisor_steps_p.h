// The supervisor's step table: one row per step with the operation it belongs
// to, the stage it shows, the engine job it starts, the step that follows a
// good end of that job, its share of the connection check's progress bar and
// what three failed exchanges mean. The supervisor's run looks rows up here
// instead of testing step numbers.
#pragma once

#include <cstdint>

#include "link/operation_result.h"

namespace q3 {

enum class StepJob : uint8_t {
  None,         // no job (no unit, idle)
  Poll,         // monitor exchange
  Ident,        // identification block
  ReadImage,    // the whole parameter block
  ReadQuarter,  // one quarter of the parameter block
  Write,        // programming
  ReadBack,     // the programming's verification read
  Command,      // reset command
};

// What happens after three failed exchanges of a step's job.
enum class OnFailure : uint8_t {
  Idle,        // back to idle, nothing shown
  Fail,        // the operation fails (its result names the cause)
  Disconnect,  // the unit is taken for gone
};

struct SupervisorStepRow {
  int32_t step;
  Operation operation;
  Stage stage;
  StepJob job;
  int32_t next;       // after a good end of the job (and a passed comparison)
  int16_t checkFrom;  // share of the connection check on the 2400 scale;
  int16_t checkTo;    // -1: the bar is the step's own 0..100
  OnFailure onFailure;
  bool newAttempt;  // starting the step counts a new attempt of its operation
  bool barStarts;   // starting the step shows a fresh progress bar
  bool compares;    // what the job read is compared before the step moves on
  int8_t quarter;   // ReadQuarter and its polls: quarter 0..3, else -1
};

// The row of a step, or nullptr for a step number that has none.
const SupervisorStepRow* supervisorStepRow(int32_t step);

}  // namespace q3
