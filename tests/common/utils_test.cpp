// Small utilities: filling a composition, angles and temperatures, the first
// command-line argument.
#include "common/utils.hpp"

#include <gtest/gtest.h>

#include <string>

#include "io/text.hpp"

namespace quelmar::common {
namespace {

TEST(Utilities, CompositionAndAngles) {
  run::MIX m;
  INITIALIZE(m, 0.5);
  double sum = 0;
  for (int i = 1; i <= 29; ++i) sum += m(i);
  EXPECT_EQ(sum, 14.5);
  EXPECT_EQ(DEGREES(FNPI()), 180.0);
  EXPECT_EQ(DEGREES(0.0), 0.0);
  EXPECT_EQ(RADS(180.0), 3.141592653589793);
  EXPECT_EQ(CTOK(0.0), 273.15);
  EXPECT_EQ(CTOK(-273.15), 0.0);
  const char* argv[] = {"quelmar", "run1.inp"};
  io::Text<255> arg;
  GETCOM(arg.span(), 2, argv);
  EXPECT_EQ(arg.view(), "run1.inp" + std::string(247, ' '));
  GETCOM(arg.span(), 1, argv);
  EXPECT_EQ(arg.view(), std::string(255, ' '));
}

}  // namespace
}  // namespace quelmar::common
