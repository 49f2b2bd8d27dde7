#include <gtest/gtest.h>
#include "io/format.hpp"
TEST(FreeFormat, Placeholder) { EXPECT_EQ(quelmar::io::free_int(7), "           7"); }
