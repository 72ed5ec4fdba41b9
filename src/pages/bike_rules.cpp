#include "pages/bike_rules.h"

#include "params/address_map.h"

namespace q3::pages {

namespace {
bool in(int t, std::initializer_list<int> set) {
  for (int v : set)
    if (v == t) return true;
  return false;
}
using S = const BikeState&;
}  // namespace

BikeState bikeState(const ParamImage& img) {
  BikeState s;
  s.special = img.byte(ImageByte::Bike) == 255;
  s.type = img.byte(ImageByte::PickupSystem);
  s.singleLobe = in(s.type, {0, 19});
  s.twoPickup = in(s.type, {0, 4, 9, 17, 18});
  s.camshaft = in(s.type, {6, 11, 12});
  s.noLobe = in(s.type, {7, 16});
  s.manyLobe = in(s.type, {8, 14});
  s.channels = img.byte(ImageByte::Channels);
  s.fourStroke = img.byte(ImageByte::FourStroke);
  s.rpmPulses = img.byte(ImageByte::RpmPulses);
  return s;
}

namespace {
bool special(S s, int) { return s.special; }
bool lobes(S s, int) { return !s.noLobe; }
bool fullSync(S s, int) { return s.fourStroke == 1 || s.fourStroke == 2; }
bool secondTurn(S s, int) { return s.fourStroke == 2; }
bool notStartOfLobe(S s, int) { return s.type != 19; }
bool edgeEnabled(S s, int) { return s.special && !s.singleLobe; }
bool pickupFlagEnabled(S s, int) { return s.special && !s.manyLobe && s.type != 12; }

const BikeRule kRules[] = {
    {"RadioGroupPickup2Polarita",
     [](S s, int) { return s.twoPickup || s.singleLobe || s.camshaft || s.type == 14; }, nullptr},
    {"GroupBoxSpecial", nullptr, [](S s, int) { return s.special || s.singleLobe; }},
    {"LabelSynchro", nullptr, special},
    {"ComboBoxSynchro", nullptr, special},
    {"LabelNasobekPalcu", nullptr, special},
    {"ComboBoxNasobekPalcu", nullptr, special},
    {"LabelFourStrokeIgn", nullptr, special},
    {"ComboBoxFourStrokeIgn", nullptr, special},
    {"LabelKompenz", nullptr, special},
    {"UpDownKompenz", nullptr, special},
    {"LabelPocPalcu", lobes, special},
    {"UpDownPocPalcu", lobes, [](S s, int) { return s.special && !s.noLobe && !s.singleLobe; }},
    {"LabelPocKanalu", lobes, [](S s, int) { return s.special || s.singleLobe; }},
    {"UpDownPocKanalu", lobes, [](S s, int) { return (s.special && !s.noLobe) || s.singleLobe; }},
    {"LabelLobe", lobes, special},
    {"LabelHrana2", lobes, special},
    {"LabelSnimac2",
     [](S s, int) { return !s.noLobe && (s.twoPickup || s.singleLobe || s.type == 19); }, special},
    {"LabelSnimac3", fullSync, special},
    {"LabelSnimac4", secondTurn, special},
    {"GroupBoxPalec%d", [](S s, int ch) { return !s.noLobe && (ch == 1 || s.channels >= ch); },
     special},
    {"LabelPalec%dZac", nullptr, special},
    {"UpDownPalec%dZac", nullptr, edgeEnabled},
    {"LabelPalec%dEnd", notStartOfLobe, special},
    {"UpDownPalec%dEnd", notStartOfLobe, edgeEnabled},
    {"CheckBoxPalec%dZacH2", nullptr,
     [](S s, int ch) { return s.special && (!s.manyLobe || ch == 1); }},
    {"CheckBoxPalec%dEndH2", notStartOfLobe, [](S s, int) { return s.special && !s.manyLobe; }},
    {"CheckBoxPalec%dZacP2", [](S s, int) { return s.twoPickup || s.singleLobe; },
     pickupFlagEnabled},
    {"CheckBoxPalec%dEndP2", [](S s, int) { return s.type != 19 && (s.twoPickup || s.singleLobe); },
     pickupFlagEnabled},
    {"CheckBoxPalec%dT2", secondTurn, special},
    {"LabelFullSynchro%d", fullSync, special},
    {"CheckBoxNehlidaPalec", [](S s, int) { return s.special && !s.manyLobe; }, nullptr},
    {"CheckBoxCrossBlock", [](S s, int) { return s.special && s.singleLobe; }, nullptr},
    {"CheckBoxPredPalec", [](S s, int) { return s.special && s.singleLobe; }, nullptr},
    {"CheckBoxSpecStart", special, nullptr},
    {"UpDownSpecStartPerc", special, nullptr},
    {"LabelSpecStartPerc", special, nullptr},
    {"CheckBoxSpecDwellByStart", special, nullptr},
    {"LabelRpmKorekce", [](S s, int) { return s.rpmPulses < 240; }, nullptr},
    {"UpDownRpmKorekce", [](S s, int) { return s.rpmPulses < 240; }, nullptr},
    // Synchronisation polarity: kept in the image, never shown.
    {"LabelSynchPos", [](S, int) { return false; }, nullptr},
    {"ComboBoxSynchPos", [](S, int) { return false; }, nullptr},
};
}  // namespace

std::span<const BikeRule> bikeRules() { return kRules; }

}  // namespace q3::pages
