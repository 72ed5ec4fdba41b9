// The maps of the main window: which sheets and axes each map editor control
// carries, and how it is loaded from the parameter image and stored back.
// Each control is identified by its owner id.
#pragma once

#include "maps/map_model.h"
#include "params/param_image.h"

namespace q3 {

// Owner ids of the main window's map controls.
enum MapOwnerId : int {
  kOwnerAdvance = 0,
  kOwnerServo = 1,
  kOwnerPoutCondition = 25,  // + output 0..3
  kOwnerPoutPwm = 33,        // + output 0..3
  kOwnerTpsCurve = 41,
  kOwnerIapCurve = 42,
  kOwnerLambdaCurve = 44,
  kOwnerLambdaRpm = 49,
};

// How the page creates the control: options, size (0 = page-relative, set
// by the page), visible window.
struct MapControlSetup {
  int options = 0;
  int width = 0, height = 0;
  int visibleColumns = 15, visibleRows = 10;
};
MapControlSetup mapControlSetup(int ownerId);

// Creates the sheets and fixed axes of the map with this owner id.
void defineMap(MapModel& m);
// Loads the map from the image: axes that follow the load sensor and other
// settings, breakpoints, cells, counts, collapsed flags, linked limits.
void loadMap(MapModel& m, const ParamImage& img);
// Stores the current sheet of the map into the image (the sheet that changed).
void storeMap(MapModel& m, ParamImage& img);
// Loads the map again after a store or an outside change of the image. A
// breakpoint axis whose values came back unchanged keeps its edit state, so
// that breakpoints pushed by the one being edited still spring back.
void reloadMap(MapModel& m, const ParamImage& img);

// Takes the unit's copy of the map's tables (the image last read from the
// unit) into its sheets, so that the table marks what differs from it; with
// valid false the marks go.
void loadUnitCopy(MapModel& m, const ParamImage& unitImage, bool valid);
// Whether an element of a sheet differs from the unit's copy.
bool differsFromUnit(const MapSheet& s, ElemRef e);

// Whether the map is shown for the current settings (sensor curves by load
// sensor, power-output maps by output function).
bool mapVisible(int ownerId, const ParamImage& img);

// The servo map's "Percent" switch: converts every cell and sets the flag.
void setServoPercent(ParamImage& img, bool percent);

// The live flags word of the maps: bit 0 the unit runs advance map 2, bits 4
// and 5 the unit works over intake pressure.
int liveMapFlags(bool secondMapActive, int sensorMode);

}  // namespace q3
