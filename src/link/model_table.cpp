// The models known by type key. Key 104 is the unit this program speaks to.
#include "link/model_table.h"

namespace q3 {

const ModelRow kModelTable[kModelTableRows] = {
    {1, "Arvek 1"},    {2, "Arvek 2"},    {3, "Arvek 3"},   {4, "Arvek 4"},   {5, "Arvek 5"},
    {6, "Arvek 6"},    {7, "Arvek 7"},    {8, "Arvek 8"},   {9, "Borun 1"},   {10, "Borun 2"},
    {11, "Borun 3"},   {12, "Borun 4"},   {13, "Borun 5"},  {14, "Borun 6"},  {15, "Borun 7"},
    {16, "Borun 8"},   {17, "Castel 1"},  {18, "Castel 2"}, {19, "Castel 3"}, {20, "Castel 4"},
    {21, "Castel 5"},  {22, "Castel 6"},  {23, "Castel 7"}, {24, "Castel 8"}, {25, "Dravo 1"},
    {26, "Dravo 2"},   {27, "Dravo 3"},   {28, "Dravo 4"},  {29, "Dravo 5"},  {30, "Dravo 6"},
    {31, "Dravo 7"},   {32, "Dravo 8"},   {33, "Elmar 1"},  {34, "Elmar 2"},  {35, "Elmar 3"},
    {36, "Elmar 4"},   {37, "Elmar 5"},   {38, "Elmar 6"},  {39, "Elmar 7"},  {40, "Elmar 8"},
    {41, "Fenno 1"},   {42, "Fenno 2"},   {43, "Fenno 3"},  {44, "Fenno 4"},  {45, "Fenno 5"},
    {46, "Fenno 6"},   {47, "Fenno 7"},   {48, "Fenno 8"},  {49, "Gorsk 1"},  {50, "Gorsk 2"},
    {51, "Gorsk 3"},   {52, "Gorsk 4"},   {53, "Gorsk 5"},  {54, "Gorsk 6"},  {55, "Gorsk 7"},
    {56, "Gorsk 8"},   {57, "Halvin 1"},  {58, "Halvin 2"}, {59, "Halvin 3"}, {60, "Halvin 4"},
    {61, "Halvin 5"},  {62, "Halvin 6"},  {63, "Halvin 7"}, {64, "Halvin 8"}, {65, "Istra 1"},
    {66, "Istra 2"},   {67, "Istra 3"},   {68, "Istra 4"},  {69, "Istra 5"},  {70, "Istra 6"},
    {71, "Istra 7"},   {72, "Istra 8"},   {73, "Jarol 1"},  {74, "Jarol 2"},  {75, "Jarol 3"},
    {76, "Jarol 4"},   {77, "Jarol 5"},   {78, "Jarol 6"},  {79, "Jarol 7"},  {80, "Jarol 8"},
    {81, "Kestin 1"},  {82, "Kestin 2"},  {83, "Kestin 3"}, {84, "Kestin 4"}, {85, "Kestin 5"},
    {86, "Kestin 6"},  {87, "Kestin 7"},  {88, "Kestin 8"}, {89, "Lumar 1"},  {90, "Lumar 2"},
    {91, "Lumar 3"},   {92, "Lumar 4"},   {93, "Lumar 5"},  {94, "Lumar 6"},  {95, "Lumar 7"},
    {96, "Lumar 8"},   {97, "Morvik 1"},  {98, "Morvik 2"}, {99, "Morvik 3"}, {100, "Morvik 4"},
    {101, "Morvik 5"}, {102, "Quelin1"},  {103, "Quelin2"}, {104, "Quelin3"}, {105, "Morvik 6"},
    {106, "Morvik 7"}, {107, "Morvik 8"}, {108, "Nessa 1"}, {109, "Nessa 2"}, {110, "Nessa 3"},
    {111, "Nessa 4"},  {112, "Nessa 5"},  {113, "Nessa 6"}, {114, "Nessa 7"}, {115, "Nessa 8"},
    {116, "Orlan 1"},  {117, "Orlan 2"},  {118, "Orlan 3"}, {119, "Orlan 4"}, {120, "Orlan 5"},
    {121, "Orlan 6"},  {0, ""},
};

const char* modelName(int32_t key) {
  for (const ModelRow* r = kModelTable; r->key != 0; ++r) {
    if (r->key == key) return r->name;
    if (r->key > key) break;  // rising order: the key is not listed
  }
  return nullptr;
}

}  // namespace q3
