// The parameter catalogue: every setting of the parameter image by name, as
// the pages show it. A setting bound to a control comes from the page's
// binding table (its page, its caption in the current language from the text
// tables or the table, its unit, its display scaling and its items); a map
// comes from the map definitions and is compared cell by cell. Nothing here
// repeats an address: the catalogue reads the same tables that bind the
// pages and define the maps, so it cannot drift from them.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "maps/map_model.h"
#include "params/page_tables.h"
#include "params/param_image.h"

namespace q3 {

// One setting bound to a control of a page. A setting the page moves
// itself (its table row has no address) is packed into a byte: a channel's
// edge (lobe number and flags in one byte) or a single bit (a channel's
// second turn, an inverted input).
struct CatalogueEntry {
  int page = 0;                              // 0..9, page-index order
  const pages::ControlSpec* spec = nullptr;  // its row in the page's binding table
  int packedByte = -1;                       // the byte of a packed setting
  int packedBit = -1;                        // its bit; -1 for an edge byte
  bool packed() const { return packedByte >= 0; }
};

// One sheet of a map control: advance map 1 or 2, the servo map, a sensor
// curve, a power output's switching or PWM map.
struct CatalogueMap {
  int page = 0;
  int owner = 0;  // MapOwnerId of the control
  int sheet = 0;
};

// Every control row that is transferred to and from the image, in page
// order, then the packed settings.
std::span<const CatalogueEntry> catalogueEntries();
// Every map sheet of the window, in page order.
std::span<const CatalogueMap> catalogueMaps();
// The entry bound to the control with this objectName, or null.
const CatalogueEntry* findCatalogueEntry(const char* controlName);

// Texts in a language (-1 the current one, else 0 English, 1 German, 2 Czech).
std::string pageCaption(int page, int lang = -1);
// The caption the page shows beside or on the control, without a closing ":".
std::string entryCaption(const CatalogueEntry& e, int lang = -1);
// The unit of the value ("rpm", "°", "%", "ms" ...), from the "[...]" of the
// English caption; empty when the caption names none.
std::string entryUnit(const CatalogueEntry& e);
// The stored element as the control holds it: the spin edit's position
// (scaling applied), 0/1 for a check box, the stored value of a list.
int entryValue(const CatalogueEntry& e, const ParamImage& img);
// The value as the page shows it: the number in page units, the item's text
// of a list (the stored number when no item has it), on/off of a check box.
std::string entryValueText(const CatalogueEntry& e, const ParamImage& img, int lang = -1);
// Copies the entry's element (one byte or one word) from one image to another.
void copyEntry(const CatalogueEntry& e, const ParamImage& from, ParamImage& to);
// The image bytes the entry's element occupies: {first, count}.
struct ByteSpan {
  int first = 0;
  int count = 1;
};
ByteSpan entryBytes(const CatalogueEntry& e);

// The map control of an owner id with its sheets and fixed axes defined (no
// image loaded); copied by whoever loads an image into it.
const MapModel& definedMap(int owner);

// A map sheet's caption ("Advance 1", "Servo", "Pout2 switching map" ...).
std::string mapCaption(const CatalogueMap& m, int lang = -1);

}  // namespace q3
