// Binding table of the N2O page.
#include "params/address_map.h"
#include "params/page_tables.h"

namespace q3::pages {

namespace {

using K = Kind;
const ControlSpec kTable[] = {
    {"CheckBoxGas", K::Check, ImageByte::N2oEnable, 0, 1, 0, 0, 1, 1,
     "###N2O enable##N2O aktiv##N2O povoleno"},
    {"UpDownGas1", K::Spin, ImageByte::N2oGas1, 0, 1, 0, 0, 100, 1,
     "###Gas 1 [%]##Gas 1 [%]##Plyn 1 [%]"},
    {"UpDownGas2", K::Spin, ImageByte::N2oGas2, 0, 1, 0, 0, 100, 1,
     "###Gas 2 [%]##Gas 2 [%]##Plyn 2 [%]"},
    {"UpDownGasD", K::Spin, ImageByte::N2oGasD, 0, 100, 0, 0, 25500, 100,
     "###Delay [ms]##Verzögerung [ms]##Zpoždění [ms]"},
    {"UpDownGasT", K::Spin, ImageByte::N2oGasT, 0, 100, 0, 0, 25500, 100,
     "###Build-up time [ms]##Aufbauzeit [ms]##Doba náběhu [ms]"},
    {"UpDownRetard1", K::Spin, ImageByte::N2oRetard1, 0, 1, 0, 0, 25, 1,
     "###Retard 1 [°]##Spätzündung 1 [°]##Snížení předstihu 1 [°]"},
    {"UpDownRetard2", K::Spin, ImageByte::N2oRetard2, 0, 1, 0, 0, 25, 1,
     "###Retard 2 [°]##Spätzündung 2 [°]##Snížení předstihu 2 [°]"},
    {"UpDownRetardD", K::Spin, ImageByte::N2oRetardD, 0, 100, 0, 0, 25500, 100,
     "###Retard delay [ms]##Spätzündung Verzögerung [ms]##Zpoždění snížení [ms]"},
    {"UpDownRetardT", K::Spin, ImageByte::N2oRetardT, 0, 100, 0, 0, 25500, 100,
     "###Retard build-up time [ms]##Spätzündung Aufbauzeit [ms]##Doba náběhu snížení [ms]"},
    {"UpDownN2O_RPMmin", K::Spin, ImageByte::N2oRpmMin, 0, 100, 0, 0, 25000, 100,
     "###Min. rpm##Min. Drehzahl##Min. otáčky"},
    {"UpDownN2O_TPSmin", K::Spin, ImageByte::N2oTpsMin, 0, 1, 0, 0, 100, 1,
     "###Min. throttle [%]##Min. Drosselklappe [%]##Min. plyn [%]"},
    {"UpDownN2O_Repeat", K::Spin, ImageByte::N2oRepeat, 0, 1, 0, 2, 30, 2,
     "###Repetition##Wiederholung##Opakování"},
};

}  // namespace

std::span<const ControlSpec> n2oTable() { return kTable; }

}  // namespace q3::pages
