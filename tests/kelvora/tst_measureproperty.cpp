#include <kelvora/measureproperty.h>

#include <gtest/gtest.h>

namespace {

TEST(MeasureProperty, RoundTripsThroughTheRecordUnderItsKey)
{
    MeasureProperty written(Measure::Inch, 2.25);
    PropertyMap own;
    written.toMap(own, eSaveValues);
    EXPECT_EQ(own.size(), 2) << "the value form holds value and unit only";
    const PropertyMap enclosing = { { "width", own }, { "other", 1 } };

    MeasureProperty read;
    read.setkey("width");
    read.fromMap(enclosing);
    EXPECT_EQ(read.getMeasure().getUnit(), static_cast<Measure::UnitCode>(Measure::Inch));
    EXPECT_EQ(read.getMeasure().getValue(), 2.25);
}

TEST(MeasureProperty, FullRecordsRestoreTheFlags)
{
    MeasureProperty written(Measure::Millimetre, 3.0);
    written.visible = false;
    written.setEditable(false);
    PropertyMap own;
    written.toMap(own, eSaveFullRecords);

    MeasureProperty read;
    read.setkey("width");
    read.fromMap({ { "width", own } });
    EXPECT_FALSE(read.visible);
    EXPECT_FALSE(read.getEditable());
    EXPECT_TRUE(read.getEnabled());
}

TEST(MeasureProperty, MissingOrIncompleteRecordsChangeNothing)
{
    const PropertyMap enclosing = {
        { "noValue", PropertyMap{ { "Unit", 3 } } },
        { "bare", 5.0 },
    };
    for (const char* key : { "absent", "noValue", "bare" }) {
        MeasureProperty length(Measure::Millimetre, 7.0);
        length.setkey(key);
        PropertyMap unused;
        EXPECT_FALSE(length.checkDataCoherence(enclosing, unused)) << key;
        length.fromMap(enclosing);
        EXPECT_EQ(length.getMeasure().getValue(), 7.0) << key;
    }
}

TEST(MeasureProperty, UnreadableValueReadsAsZeroAndAbsentUnitKeepsItsOwn)
{
    const PropertyMap enclosing = { { "width", PropertyMap{ { "Value", "wide" } } } };
    MeasureProperty length(Measure::Centimetre, 7.0);
    length.setkey("width");
    PropertyMap unused;
    EXPECT_TRUE(length.checkDataCoherence(enclosing, unused));
    EXPECT_EQ(length.getMeasure().getValue(), 0.0);
    EXPECT_EQ(length.getMeasure().getUnit(), static_cast<Measure::UnitCode>(Measure::Centimetre));
}

TEST(MeasureProperty, AUnitCodeBeyond32BitsStaysWholeAndUnknown)
{
    // Cut to 32 bits, 0x100000003 would read as millimetres.
    const Measure::UnitCode code = 0x100000003ull;
    const PropertyMap enclosing = { { "width", PropertyMap{ { "Value", 12.0 }, { "Unit", QVariant::fromValue(quint64{code}) } } } };
    MeasureProperty length(Measure::Millimetre, 7.0);
    length.setkey("width");
    length.fromMap(enclosing);
    EXPECT_EQ(length.getMeasure().getUnit(), code);
    Measure millimetres(Measure::Millimetre, 1.0);
    EXPECT_FALSE(millimetres.Convert(length.getMeasure()));
    EXPECT_EQ(millimetres.getValue(), 1.0);
}

TEST(MeasureProperty, ConvertFromKeepsItsOwnUnit)
{
    MeasureProperty length(Measure::Centimetre, 0.0);
    EXPECT_TRUE(length.convertFrom(Measure(Measure::Millimetre, 45.0)));
    EXPECT_EQ(length.getMeasure().getUnit(), static_cast<Measure::UnitCode>(Measure::Centimetre));
    EXPECT_DOUBLE_EQ(length.getMeasure().getValue(), 4.5);
}

} // namespace
