#include <kelvora/measure.h>

#include <gtest/gtest.h>

namespace {

TEST(Measure, ConvertExpressesTheSourceLengthInItsOwnUnit)
{
    const struct
    {
        Measure::UnitCode from;
        double value;
        Measure::UnitCode to;
        double expected;
    } cases[] = {
        { Measure::Millimetre, 432.0, Measure::Millimetre, 432.0 },
        { Measure::Millimetre, 12.5, Measure::DefaultUnit, 12.5 },
        { Measure::DefaultUnit, 7.0, Measure::Millimetre, 7.0 },
        { Measure::Inch, 1.0, Measure::Millimetre, 25.4 },
        { Measure::Millimetre, 25.4, Measure::Inch, 1.0 },
        { Measure::Millimetre, 25.0, Measure::Centimetre, 2.5 },
        { Measure::Metre, 1.2, Measure::Millimetre, 1200.0 },
        { Measure::Millimetre, 3.0, Measure::Micrometre, 3000.0 },
        { Measure::Inch, 1.0, Measure::Point, 72.0 },
        { Measure::Pica, 1.0, Measure::Point, 12.0 },
        { Measure::Point, 72.0, Measure::Millimetre, 25.4 },
        { Measure::Centimetre, -3.0, Measure::Millimetre, -30.0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " in unit " << c.from << " to unit " << c.to);
        Measure target(c.to, -1.0);
        ASSERT_TRUE(target.Convert(Measure(c.from, c.value)));
        EXPECT_DOUBLE_EQ(target.getValue(), c.expected);
        EXPECT_EQ(target.getUnit(), c.to);
    }
}

TEST(Measure, WholeMillimetresComeBackUnchangedThroughDecimalUnits)
{
    const Measure::UnitCode units[] = { Measure::DefaultUnit, Measure::Millimetre, Measure::Centimetre,
                                    Measure::Micrometre };
    for (Measure::UnitCode unit : units) {
        for (int mm = -2000; mm <= 20000; ++mm) {
            Measure stored(unit);
            stored.Convert(Measure(Measure::Millimetre, mm));
            Measure back(Measure::Millimetre);
            back.Convert(stored);
            ASSERT_EQ(back.getValue(), double(mm)) << "unit " << unit;
        }
    }
}

TEST(Measure, UnknownUnitsLeaveTheValueUnchanged)
{
    Measure target(Measure::Millimetre, 5.0);
    EXPECT_FALSE(target.Convert(Measure(99, 10.0)));
    EXPECT_EQ(target.getValue(), 5.0);

    Measure unknown(99, 5.0);
    EXPECT_FALSE(unknown.Convert(Measure(Measure::Millimetre, 10.0)));
    EXPECT_EQ(unknown.getValue(), 5.0);
}

} // namespace
