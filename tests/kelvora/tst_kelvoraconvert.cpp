#include "kelvoraconvert.h"

#include <QVariant>

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <limits>
#include <string>

namespace {

struct DoubleCase
{
    const char* name;
    double value;
    int expected;
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

const DoubleCase kDoubleCases[] = {
    { "fraction dropped", 12.9, 12 },
    { "negative fraction toward zero", -0.5, 0 },
    { "negative truncates toward zero", -12.9, -12 },
    { "NaN", kNaN, 0 },
    { "positive infinity", kInf, INT_MAX },
    { "negative infinity", -kInf, INT_MIN },
    { "just below the top", 2147483647.9, INT_MAX },
    { "first value above", 2147483648.0, INT_MAX },
    { "just above the bottom", -2147483648.9, INT_MIN },
    { "first value below", -2147483649.0, INT_MIN },
    { "far out", 1e300, INT_MAX },
};

class SaturatingToInt : public ::testing::TestWithParam<DoubleCase>
{
};

TEST_P(SaturatingToInt, TruncatesOrSaturates)
{
    EXPECT_EQ(Kelvora::saturatingToInt(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, SaturatingToInt, ::testing::ValuesIn(kDoubleCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

TEST(VariantToInt, ConvertsNumbersSaturatingAndRejectsTheRest)
{
    const struct
    {
        QVariant value;
        int expected;
    } cases[] = {
        { QVariant(42), 42 },
        { QVariant(3.9), 3 },
        { QVariant(2.5f), 2 },
        { QVariant(1e20), INT_MAX },
        { QVariant(kNaN), 0 },
        { QVariant(qlonglong(1) << 40), INT_MAX },
        { QVariant(-(qlonglong(1) << 40)), INT_MIN },
        { QVariant(std::numeric_limits<qulonglong>::max()), INT_MAX },
        { QVariant(4000000000u), INT_MAX },
        { QVariant(true), 1 },
        { QVariant(QStringLiteral("17")), 17 },
        { QVariant(QStringLiteral("99999999999")), INT_MAX },
        { QVariant(QStringLiteral("abc")), 0 },
        { QVariant(QStringLiteral("3.5")), 0 },
        { QVariant(), 0 },
        { QVariant(QVariantHash{ { QStringLiteral("Value"), 5 } }), 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Kelvora::variantToInt(c.value), c.expected) << c.value.toString().toStdString();
}

} // namespace
