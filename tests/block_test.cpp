#include <gtest/gtest.h>

#include <sstream>

#include "demo/block.h"
#include "demo/convert.h"

namespace cw {
namespace {

TEST(BlockWriter, PutStringOfEmptyTextWritesOneZero) {
  CBlock out;
  out.PutString("");
  ASSERT_EQ(out.length, 1);
  EXPECT_EQ(out.Data()[0], 0);
}

}  // namespace
}  // namespace cw
