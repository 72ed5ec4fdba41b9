// The model table that names family B units.
#include <gtest/gtest.h>

#include <cstring>

#include "link/model_table.h"

namespace q3 {
namespace {

TEST(ModelTableTest, RisingKeysEndRowAndThisProduct) {
  EXPECT_EQ(kModelTable[kModelTableRows - 1].key, 0);
  for (int i = 0; i + 1 < kModelTableRows - 1; ++i)
    EXPECT_LT(kModelTable[i].key, kModelTable[i + 1].key) << "row " << i;
  for (int i = 0; i < kModelTableRows - 1; ++i) {
    EXPECT_GT(kModelTable[i].key, 0) << "row " << i;
    EXPECT_LE(std::strlen(kModelTable[i].name), 31u) << "row " << i;
  }
  ASSERT_NE(modelName(104), nullptr);
  EXPECT_STREQ(modelName(104), "Quelin3");
  EXPECT_NE(modelName(kModelTable[0].key), nullptr);                    // first row
  EXPECT_NE(modelName(kModelTable[kModelTableRows - 2].key), nullptr);  // last named row
  EXPECT_EQ(modelName(0), nullptr);
  EXPECT_EQ(modelName(-1), nullptr);
  EXPECT_EQ(modelName(30000), nullptr);
}

}  // namespace
}  // namespace q3
