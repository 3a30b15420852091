#include <kelvora/devproperty.h>

#include <gtest/gtest.h>

namespace {

TEST(DevProperty, BoolRecordIsAFullRecord)
{
    const PropertyMap record = DevProperty::QMapBoolProp("On", "tip", true, false, true, true, "status", "");
    for (const char* key : { "Type", "Label", "ToolTips", "Value", "Editable", "Visible", "Enabled", "StatusTip",
                             "WhatsThis" })
        EXPECT_TRUE(record.contains(key)) << key;
    EXPECT_EQ(record.value("Value"), QVariant(true));
    EXPECT_EQ(record.value("Editable"), QVariant(false));
    EXPECT_EQ(record.value("StatusTip"), QVariant("status"));
}

TEST(DevProperty, GetValueFromMapReadsBareValuesAndRecordValues)
{
    const PropertyMap recordWithoutValue = { { "Label", "x" } };
    const PropertyMap map = {
        { "bare", 3 },
        { "record", PropertyMap{ { "Value", 4 }, { "Label", "x" } } },
        { "ordered map record", QVariantMap{ { "Value", 5 } } },
        { "no value", recordWithoutValue },
    };
    EXPECT_EQ(DevProperty::GetValueFromMap(map, "bare", 0), QVariant(3));
    EXPECT_EQ(DevProperty::GetValueFromMap(map, "record", 0), QVariant(4));
    EXPECT_EQ(DevProperty::GetValueFromMap(map, "ordered map record", 0), QVariant(5));
    EXPECT_EQ(DevProperty::GetValueFromMap(map, "no value", 0).toHash(), recordWithoutValue);
    EXPECT_EQ(DevProperty::GetValueFromMap(map, "absent", 9), QVariant(9));
}

TEST(DevProperty, GetSimpleValueFromMapReturnsTheEntryAsStored)
{
    const PropertyMap record = { { "Value", 4 } };
    const PropertyMap map = { { "record", record } };
    bool ok = false;
    EXPECT_EQ(DevProperty::GetSimpleValueFromMap(map, "record", 0, &ok).toHash(), record);
    EXPECT_TRUE(ok);
    EXPECT_EQ(DevProperty::GetSimpleValueFromMap(map, "absent", 8, &ok), QVariant(8));
    EXPECT_FALSE(ok);
}

} // namespace
