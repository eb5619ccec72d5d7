#include <gtest/gtest.h>

#include "Base64.h"

TEST(Base64, Smoke) { EXPECT_EQ(vek::Base64Encode("abc"), "YWJj"); }
