// The one list of the main window's features. Adding a feature adds one line
// here (and its factory in window_features.h); the window itself is not
// touched. Within one step the features run in this order.
#include "shell/ui/window_features.h"

std::vector<std::unique_ptr<q3::Feature>> makeWindowFeatures(WindowContext& ctx) {
  std::vector<std::unique_ptr<q3::Feature>> list;
  list.push_back(makeParamsFeature(ctx));
  list.push_back(makePagesFeature(ctx));    // the pages' controls exist for those below
  list.push_back(makePickupFeature(ctx));   // before the link: its feed ends first
  list.push_back(makeMonitorFeature(ctx));  // before the link: it asks for playback and tests
  list.push_back(makeLinkFeature(ctx));
  list.push_back(makeMapsFeature(ctx));
  list.push_back(makeFilesFeature(ctx));
  list.push_back(makeHelpFeature(ctx));
  list.push_back(makeUpdateFeature(ctx));
  list.push_back(makePrintFeature(ctx));
  list.push_back(makeCompareFeature(ctx));
  return list;
}
