// The supervisor's step table.
#include <iterator>

#include "link/supervisor.h"
#include "link/supervisor_steps_p.h"

namespace q3 {
namespace {

using O = Operation;
using S = Stage;
using J = StepJob;
using F = OnFailure;

// clang-format off
constexpr SupervisorStepRow kRows[] = {
  // step                operation            stage            job              next                   check share    failure         new     bar     cmp     q
  {kSupPoll,              O::Monitor,          S::Polling,      J::Poll,         kSupIdle,              -1,    -1,    F::Disconnect,  false,  false,  false,  -1},
  // Connection check: identification twice, a poll, the block twice.
  {kSupIdent1,            O::ConnectionCheck,  S::Checking,     J::Ident,        kSupIdent2,            0,     150,   F::Fail,        true,   true,   false,  -1},
  {kSupIdent2,            O::ConnectionCheck,  S::Checking,     J::Ident,        kSupCheckPoll,         150,   300,   F::Fail,        false,  true,   true,   -1},
  {kSupCheckPoll,         O::ConnectionCheck,  S::Polling,      J::Poll,         kSupCheckRead1,        300,   300,   F::Fail,        false,  false,  false,  -1},
  {kSupCheckRead1,        O::ConnectionCheck,  S::Checking,     J::ReadImage,    kSupCheckRead2,        300,   1350,  F::Fail,        false,  false,  false,  -1},
  {kSupCheckRead2,        O::ConnectionCheck,  S::Checking,     J::ReadImage,    kSupIdle,              1350,  2400,  F::Fail,        false,  false,  true,   -1},
  // The two reads differed: each quarter twice, with a poll before each read.
  {kSupQuarterRead1 + 0,  O::ConnectionCheck,  S::Checking,     J::ReadQuarter,  kSupQuarterPoll1 + 1,  300,   562,   F::Fail,        true,   false,  false,  0},
  {kSupQuarterRead1 + 1,  O::ConnectionCheck,  S::Checking,     J::ReadQuarter,  kSupQuarterPoll1 + 2,  562,   825,   F::Fail,        false,  false,  false,  1},
  {kSupQuarterRead1 + 2,  O::ConnectionCheck,  S::Checking,     J::ReadQuarter,  kSupQuarterPoll1 + 3,  825,   1087,  F::Fail,        false,  false,  false,  2},
  {kSupQuarterRead1 + 3,  O::ConnectionCheck,  S::Checking,     J::ReadQuarter,  kSupQuarterPoll2 + 0,  1087,  1350,  F::Fail,        false,  false,  false,  3},
  {kSupQuarterPoll1 + 0,  O::ConnectionCheck,  S::Polling,      J::Poll,         kSupQuarterRead1 + 0,  -1,    -1,    F::Fail,        false,  false,  false,  0},
  {kSupQuarterPoll1 + 1,  O::ConnectionCheck,  S::Polling,      J::Poll,         kSupQuarterRead1 + 1,  -1,    -1,    F::Fail,        false,  false,  false,  1},
  {kSupQuarterPoll1 + 2,  O::ConnectionCheck,  S::Polling,      J::Poll,         kSupQuarterRead1 + 2,  -1,    -1,    F::Fail,        false,  false,  false,  2},
  {kSupQuarterPoll1 + 3,  O::ConnectionCheck,  S::Polling,      J::Poll,         kSupQuarterRead1 + 3,  -1,    -1,    F::Fail,        false,  false,  false,  3},
  {kSupQuarterRead2 + 0,  O::ConnectionCheck,  S::Checking,     J::ReadQuarter,  kSupQuarterPoll2 + 1,  1350,  1612,  F::Fail,        false,  false,  true,   0},
  {kSupQuarterRead2 + 1,  O::ConnectionCheck,  S::Checking,     J::ReadQuarter,  kSupQuarterPoll2 + 2,  1612,  1875,  F::Fail,        false,  false,  true,   1},
  {kSupQuarterRead2 + 2,  O::ConnectionCheck,  S::Checking,     J::ReadQuarter,  kSupQuarterPoll2 + 3,  1875,  2137,  F::Fail,        false,  false,  true,   2},
  {kSupQuarterRead2 + 3,  O::ConnectionCheck,  S::Checking,     J::ReadQuarter,  kSupIdle,              2137,  2400,  F::Fail,        false,  false,  true,   3},
  {kSupQuarterPoll2 + 0,  O::ConnectionCheck,  S::Polling,      J::Poll,         kSupQuarterRead2 + 0,  -1,    -1,    F::Fail,        false,  false,  false,  0},
  {kSupQuarterPoll2 + 1,  O::ConnectionCheck,  S::Polling,      J::Poll,         kSupQuarterRead2 + 1,  -1,    -1,    F::Fail,        false,  false,  false,  1},
  {kSupQuarterPoll2 + 2,  O::ConnectionCheck,  S::Polling,      J::Poll,         kSupQuarterRead2 + 2,  -1,    -1,    F::Fail,        false,  false,  false,  2},
  {kSupQuarterPoll2 + 3,  O::ConnectionCheck,  S::Polling,      J::Poll,         kSupQuarterRead2 + 3,  -1,    -1,    F::Fail,        false,  false,  false,  3},
  // Read: the block twice, equal reads become the image.
  {kSupRead1,             O::Read,             S::Reading,      J::ReadImage,    kSupRead2,             -1,    -1,    F::Fail,        true,   true,   false,  -1},
  {kSupRead2,             O::Read,             S::Verifying,    J::ReadImage,    kSupIdle,              -1,    -1,    F::Fail,        false,  true,   true,   -1},
  {kSupVerify,            O::Verify,           S::Verifying,    J::ReadImage,    kSupIdle,              -1,    -1,    F::Fail,        true,   true,   true,   -1},
  // Program: identification twice, write, read back.
  {kSupProgIdent1,        O::Program,          S::Checking,     J::Ident,        kSupProgIdent2,        -1,    -1,    F::Fail,        true,   true,   false,  -1},
  {kSupProgIdent2,        O::Program,          S::Checking,     J::Ident,        kSupProgWrite,         -1,    -1,    F::Fail,        false,  true,   true,   -1},
  {kSupProgWrite,         O::Program,          S::Programming,  J::Write,        kSupProgVerify,        -1,    -1,    F::Fail,        true,   true,   false,  -1},
  {kSupProgVerify,        O::Program,          S::Verifying,    J::ReadBack,     kSupIdle,              -1,    -1,    F::Fail,        false,  false,  true,   -1},
  {kSupReset,             O::Reset,            S::Polling,      J::Command,      kSupIdle,              -1,    -1,    F::Idle,        false,  false,  false,  -1},
  {kSupResetRelease,      O::Reset,            S::Polling,      J::Command,      kSupIdle,              -1,    -1,    F::Idle,        false,  false,  false,  -1},
};
// clang-format on

}  // namespace

const SupervisorStepRow* supervisorStepRow(int32_t step) {
  for (const SupervisorStepRow& r : kRows)
    if (r.step == step) return &r;
  return nullptr;
}

}  // namespace q3
