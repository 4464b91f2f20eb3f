#include "payload/catalogue.h"

#include <gtest/gtest.h>

TEST(Catalogue, placeholder) { EXPECT_EQ(Catalogue, nullptr); }
