#include <kelvora/kelvoraconvert.h>

#include <QVariant>

#include <gtest/gtest.h>

#include <climits>
#include <limits>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(SaturatingToInt, TruncatesTowardZeroOrSaturates)
{
    const struct
    {
        double value;
        int expected;
    } cases[] = {
        { 12.9, 12 },       { -0.5, 0 },         { -12.9, -12 },           { kNaN, 0 },
        { kInf, INT_MAX },  { -kInf, INT_MIN },  { 2147483647.9, INT_MAX }, { 2147483648.0, INT_MAX },
        { -2147483648.9, INT_MIN }, { -2147483649.0, INT_MIN }, { 1e300, INT_MAX },
    };
    for (const auto& c : cases)
        EXPECT_EQ(Kelvora::saturatingToInt(c.value), c.expected) << c.value;
}

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
