// The features of the main window. Each one lives in its own
// <feature>_feature.cpp as a class deriving from q3::Feature, made by the
// factory declared here; makeWindowFeatures() is the one list of them.
#pragma once

#include <memory>
#include <vector>

#include "base/feature.h"

struct WindowContext;

std::unique_ptr<q3::Feature> makeParamsFeature(WindowContext& ctx);   // params_feature.cpp
std::unique_ptr<q3::Feature> makeLinkFeature(WindowContext& ctx);     // link_feature.cpp
std::unique_ptr<q3::Feature> makeMapsFeature(WindowContext& ctx);     // maps_feature.cpp
std::unique_ptr<q3::Feature> makeFilesFeature(WindowContext& ctx);    // files_feature.cpp
std::unique_ptr<q3::Feature> makePickupFeature(WindowContext& ctx);   // pickup_feature.cpp
std::unique_ptr<q3::Feature> makeHelpFeature(WindowContext& ctx);     // help_feature.cpp
std::unique_ptr<q3::Feature> makeUpdateFeature(WindowContext& ctx);   // update_feature.cpp
std::unique_ptr<q3::Feature> makePrintFeature(WindowContext& ctx);    // print_feature.cpp
std::unique_ptr<q3::Feature> makePagesFeature(WindowContext& ctx);    // pages_feature.cpp
std::unique_ptr<q3::Feature> makeCompareFeature(WindowContext& ctx);  // compare_feature.cpp
// monitor_feature.cpp
std::unique_ptr<q3::Feature> makeMonitorFeature(WindowContext& ctx);

// Every feature of the window, in the order in which they take part in each
// start-up step, tick phase and closing step.
std::vector<std::unique_ptr<q3::Feature>> makeWindowFeatures(WindowContext& ctx);
