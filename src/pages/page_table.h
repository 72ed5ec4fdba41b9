// What a setting page adds to its binding table (params/page_tables.h): the
// rules that show, hide, enable and disable its controls.
#pragma once

#include <span>

#include "params/page_tables.h"

namespace q3::pages {

// One visibility / enabling rule of a page: the controls it names (a "%d" in
// the name stands for the numbers 1..n of a channel or input), and when they
// are visible and enabled. A null predicate means always.
template <class State>
struct Rule {
  const char* name;
  bool (*visible)(const State&, int number);
  bool (*enabled)(const State&, int number);
};

}  // namespace q3::pages
