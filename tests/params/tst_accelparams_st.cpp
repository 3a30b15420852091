#include "accelparams_st.h"
#include "pagevalues.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <memory>

namespace {

TEST(AccelParams, NewPageHasItsDefaults)
{
    accelParams_st page;
    EXPECT_EQ(page.getPatchSizeX(3), 0);
    EXPECT_EQ(page.getPatchSizeY(3), 0);
    EXPECT_EQ(page.getOffsetX(3), 0);
    EXPECT_EQ(page.getOffsetY(3), 0);
    EXPECT_EQ(page.getPatchCountPerRow(), 0);
    EXPECT_EQ(page.getNumChannels(), 0);
    EXPECT_EQ(page.getTotalPatchCount(), 0);
    EXPECT_TRUE(page.getIt8FilePath().isEmpty());
    EXPECT_EQ(page.getResolutionX(), 180);
    EXPECT_EQ(page.getResolutionY(), 180);
    EXPECT_TRUE(page.getTakeUp());
    EXPECT_EQ(page.getDryType(), 1);
    EXPECT_EQ(page.getDryTime(), 0);
    EXPECT_EQ(page.getCalibType(), 1);
    EXPECT_EQ(page.getMm0(), 1);
    EXPECT_EQ(page.getUVFilter(), 0);
    EXPECT_EQ(page.getMeasureType(), 0);
    EXPECT_EQ(page.getDryBlockHeight(), 5000);
    EXPECT_EQ(page.getLineSpace(), 0);
    EXPECT_EQ(page.getClass(), "accelParams_st");
    EXPECT_EQ(page.getLabel(), "Measure settings");
    EXPECT_EQ(page.getToolTips(), "Measure settings");
    EXPECT_EQ(page.getType(), "Group");
}

TEST(AccelParams, LengthsReadInMillimetresTruncatedTowardZeroAndSaturated)
{
    const struct
    {
        double millimetres;
        int expected;
    } cases[] = {
        { 10.0, 10 },
        { 10.7, 10 },
        { 12.9, 12 },
        { -0.5, 0 },
        { -12.9, -12 },
        { 1e12, INT_MAX },
        { -1e12, INT_MIN },
        { std::numeric_limits<double>::infinity(), INT_MAX },
        { std::numeric_limits<double>::quiet_NaN(), 0 },
    };
    for (const auto& c : cases) {
        accelParams_st page;
        page.setPatchSizeX(Measure(3, c.millimetres));
        page.fromMap({ { "accelParamsOffsetY", millimetreRecord(c.millimetres) } });
        EXPECT_EQ(page.getPatchSizeX(3), c.expected) << c.millimetres;
        EXPECT_EQ(page.getOffsetY(3), c.expected) << c.millimetres;
    }
}

TEST(AccelParams, LengthsConvertBetweenUnits)
{
    accelParams_st page;
    page.setPatchSizeX(Measure(Measure::Inch, 1.0));
    EXPECT_EQ(page.getPatchSizeX(Measure::Millimetre), 25);
    EXPECT_EQ(page.getPatchSizeX(Measure::Micrometre), 25400);
    EXPECT_EQ(page.getPatchSizeX(99), 0) << "unknown units read as 0";

    page.setPatchSizeX(Measure(99, 5.0));
    EXPECT_EQ(page.getPatchSizeX(Measure::Millimetre), 25) << "an unknown unit sets nothing";
}

TEST(AccelParams, ChoiceMapsHoldTheirChoicesOrderedByName)
{
    using Getter = ChoiceMap& (accelParams_st::*)();
    const struct
    {
        const char* name;
        Getter getter;
        QList<QPair<QString, int>> choices;
    } cases[] = {
        { "dry type", &accelParams_st::GetEnumDryType, { { "Artificial", 1 }, { "Natural", 0 } } },
        { "measure type",
          &accelParams_st::GetEnumMeasureType,
          { { "Color Type Lch", 4 },
            { "Color Type XYZ", 2 },
            { "Color Type Yxy", 3 },
            { "Spectral", 0 },
            { "Type Lab", 1 } } },
        { "calibration",
          &accelParams_st::GetCalibType,
          { { "Calibrate Once", 1 }, { "Each Line", 3 }, { "Each Pach Group", 2 }, { "Not Calibrate", 0 } } },
        { "M0", &accelParams_st::GetM0Enum, { { "OFF", 0 }, { "ON", 1 } } },
        { "UV filter", &accelParams_st::GetUVFilterEnum, { { "OFF", 0 }, { "ON", 1 } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        accelParams_st page;
        const ChoiceMap& first = (page.*c.getter)();
        QList<QPair<QString, int>> seen;
        for (auto it = first.cbegin(); it != first.cend(); ++it) {
            EXPECT_EQ(it.value().userType(), int(QMetaType::Int));
            seen.append({ it.key(), it.value().toInt() });
        }
        EXPECT_EQ(seen, c.choices);

        const ChoiceMap& second = (page.*c.getter)();
        EXPECT_EQ(&second, &first) << "the page's own map, not a fresh one";
        EXPECT_EQ(second.size(), c.choices.size()) << "a second call neither refills nor duplicates";
    }
}

TEST(AccelParams, CopiesCarryEveryValueAndStayIndependent)
{
    const std::unique_ptr<accelParams_st> source(newPageWith(firstPageValues()));
    source->setkey("3");
    source->setEditable(false);
    source->visible = false;

    accelParams_st copied(*source);
    accelParams_st assigned;
    assigned = *source;
    for (accelParams_st* copy : { &copied, &assigned }) {
        expectPageHolds(*copy, firstPageValues());
        EXPECT_EQ(copy->key(), "3");
        EXPECT_FALSE(copy->getEditable());
        EXPECT_FALSE(copy->visible);

        copy->setPatchSizeX(Measure(3, 99.0));
        copy->setPatchCountPerRow(1);
    }
    expectPageHolds(*source, firstPageValues());
}

} // namespace
