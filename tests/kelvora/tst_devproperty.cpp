#include "devproperty.h"

#include <gtest/gtest.h>

namespace {

// The smallest concrete property: its header is all there is to write.
class HeaderOnlyProperty : public DevProperty
{
public:
    void toMap(PropertyMap& map, eSaveMode mode) override { WriteHeader(map, mode); }
    void fromMap(const PropertyMap&) override {}
    bool checkDataCoherence(const PropertyMap&, PropertyMap&) override { return false; }
    QString getClass() const override { return QStringLiteral("HeaderOnly"); }
    QString getLabel() const override { return QStringLiteral("label"); }
    QString getToolTips() const override { return QStringLiteral("tips"); }
};

const QStringList kCommonRecordKeys = { "Type",    "Label",     "ToolTips",  "Value",  "Editable",
                                        "Visible", "Enabled",   "StatusTip", "WhatsThis" };

void expectCommonKeys(const PropertyMap& record)
{
    for (const QString& key : kCommonRecordKeys)
        EXPECT_TRUE(record.contains(key)) << key.toStdString();
}

TEST(DevProperty, DefaultsToAVisibleEditableGroup)
{
    HeaderOnlyProperty property;
    EXPECT_EQ(property.getType(), "Group");
    EXPECT_TRUE(property.visible);
    EXPECT_TRUE(property.getEditable());
    EXPECT_TRUE(property.getEnabled());
    EXPECT_TRUE(property.getSelectable());
    EXPECT_TRUE(property.key().isEmpty());

    property.setkey(QStringLiteral("k"));
    HeaderOnlyProperty other;
    other.setkey(QStringLiteral("j"));
    EXPECT_NE(property.GetUniqueHashString(), other.GetUniqueHashString());
}

TEST(DevProperty, WriteHeaderAddsPresentationEntriesOnlyForFullRecords)
{
    HeaderOnlyProperty property;
    property.setEditable(false);
    property.visible = false;

    PropertyMap values;
    property.toMap(values, eSaveValues);
    EXPECT_EQ(values.keys().size(), 5);
    EXPECT_EQ(values.value("ClassName").toString(), "HeaderOnly");
    EXPECT_EQ(values.value("Type").toString(), "Group");
    EXPECT_FALSE(values.value("Editable").toBool());
    EXPECT_FALSE(values.value("Visible").toBool());
    EXPECT_TRUE(values.value("Enabled").toBool());

    PropertyMap full;
    property.toMap(full, eSaveFullRecords);
    EXPECT_EQ(full.value("Label").toString(), "label");
    EXPECT_EQ(full.value("ToolTips").toString(), "tips");
    EXPECT_TRUE(full.contains("StatusTip"));
    EXPECT_TRUE(full.contains("WhatsThis"));
}

TEST(DevProperty, OnlyBitZeroChoosesFullRecords)
{
    EXPECT_FALSE(writesFullRecords(eSaveValues));
    EXPECT_TRUE(writesFullRecords(eSaveFullRecords));
    EXPECT_TRUE(writesFullRecords(static_cast<eSaveMode>(1)));
    EXPECT_FALSE(writesFullRecords(static_cast<eSaveMode>(6)));
}

TEST(DevProperty, RecordsCarryTheirValueAndKind)
{
    const PropertyMap intRecord = DevProperty::QMapIntProp("Drying Time", "tip", 30, 0.0, 100.0, 1, true, false,
                                                           true, "status", "what");
    expectCommonKeys(intRecord);
    EXPECT_EQ(intRecord.value("Value").toInt(), 30);
    EXPECT_EQ(intRecord.value("Minimum").toDouble(), 0.0);
    EXPECT_EQ(intRecord.value("Maximum").toDouble(), 100.0);
    EXPECT_EQ(intRecord.value("Step").toInt(), 1);
    EXPECT_FALSE(intRecord.value("Visible").toBool());
    EXPECT_EQ(intRecord.value("StatusTip").toString(), "status");

    const PropertyMap boolRecord = DevProperty::QMapBoolProp("On", "tip", true, false, true, true, "", "");
    expectCommonKeys(boolRecord);
    EXPECT_TRUE(boolRecord.value("Value").toBool());
    EXPECT_FALSE(boolRecord.value("Editable").toBool());

    const ChoiceMap choices = { { "OFF", 0 }, { "ON", 1 } };
    const PropertyMap enumRecord =
        DevProperty::QMapEnumProp("M0", "M0", choices, 1, true, true, true, false, ChoiceMap(), "", "");
    expectCommonKeys(enumRecord);
    EXPECT_EQ(enumRecord.value("Choices").toMap(), choices);
    EXPECT_EQ(enumRecord.value("Value").toInt(), 1);

    EXPECT_NE(intRecord.value("Type"), boolRecord.value("Type"));
    EXPECT_NE(intRecord.value("Type"), enumRecord.value("Type"));
}

TEST(DevProperty, InsertOrderedPropertyStoresThePositionAndReplaces)
{
    PropertyMap map;
    map.insert("k", 1);
    DevProperty::insertOrderedProperty(map, "k", PropertyMap{ { "Value", 7 } }, 4);
    const PropertyMap record = map.value("k").toHash();
    EXPECT_EQ(record.value("OnRow").toInt(), 4);
    EXPECT_EQ(record.value("Value").toInt(), 7);
    EXPECT_EQ(map.size(), 1);
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
    EXPECT_EQ(DevProperty::GetValueFromMap(map, "bare", 0).toInt(), 3);
    EXPECT_EQ(DevProperty::GetValueFromMap(map, "record", 0).toInt(), 4);
    EXPECT_EQ(DevProperty::GetValueFromMap(map, "ordered map record", 0).toInt(), 5);
    EXPECT_EQ(DevProperty::GetValueFromMap(map, "no value", 0).toHash(), recordWithoutValue);
    EXPECT_EQ(DevProperty::GetValueFromMap(map, "absent", 9).toInt(), 9);
}

TEST(DevProperty, GetSimpleValueFromMapReturnsTheEntryAsStored)
{
    const PropertyMap record = { { "Value", 4 } };
    const PropertyMap map = { { "record", record } };
    bool ok = false;
    EXPECT_EQ(DevProperty::GetSimpleValueFromMap(map, "record", 0, &ok).toHash(), record);
    EXPECT_TRUE(ok);
    EXPECT_EQ(DevProperty::GetSimpleValueFromMap(map, "absent", 8, &ok).toInt(), 8);
    EXPECT_FALSE(ok);
    EXPECT_EQ(DevProperty::GetSimpleValueFromMap(map, "absent", 8, nullptr).toInt(), 8);
}

} // namespace
