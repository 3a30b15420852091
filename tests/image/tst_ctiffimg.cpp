#include <gtest/gtest.h>
TEST(CTiffImg, Placeholder) {}
