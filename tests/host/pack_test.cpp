#include "payload/payload_format.h"

#include <gtest/gtest.h>

TEST(Pack, placeholder) { EXPECT_EQ(payload::GrowthStep(1), 256u); }
