#include <gtest/gtest.h>

#include "DateTime.h"

TEST(Smoke, Builds) { EXPECT_EQ(vek::ToDateTime(vek::CivilTime{1899, 12, 31, 12}), 1.5); }
