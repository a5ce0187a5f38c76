#include <gtest/gtest.h>
int FoundationPlaceholder();
TEST(Placeholder, Links) { EXPECT_EQ(FoundationPlaceholder(), 1); }
