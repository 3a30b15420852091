#include <gtest/gtest.h>
TEST(CommandLine, Placeholder) {}
