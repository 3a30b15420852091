#include "accelmeasparams_st.h"
#include "accelparams_st.h"
#include "pagevalues.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

const QStringList kPageKeys = { "accelParamsDryType",     "accelParamsMeasType",   "accelParamsCalibType",
                                "accelParamsDryTime",     "accelParamsUVFilter",   "accelParamsMm0",
                                "accelParamsPatchForRow", "accelParamsChannelNum", "accelParamsDimPatchX",
                                "accelParamsDimPatchY",   "accelParamsOffsetX",    "accelParamsOffsetY",
                                "accelParamsTakeUp" };
const QStringList kLengthKeys = { "accelParamsDimPatchX", "accelParamsDimPatchY", "accelParamsOffsetX",
                                  "accelParamsOffsetY" };

PropertyMap recordOf(const PropertyMap& map, const QString& key)
{
    return map.value(key).toHash();
}

// A job of two pages whose members all differ from the defaults.
void fillJob(accelMeasParams_st& job)
{
    job.setPageHeight(Measure(3, 610.0));
    job.setPageWidth(Measure(3, 432.0));
    job.pages.append(newPageWith(firstPageValues()));
    job.pages.append(newPageWith(secondPageValues()));
}

void expectJobCameBack(const accelMeasParams_st& job)
{
    EXPECT_EQ(job.getPageHeight(3), 610);
    EXPECT_EQ(job.getPageWidth(3), 432);
    ASSERT_EQ(job.pages.size(), 2);
    expectPageHolds(*job.getPage(0), firstPageValues());
    expectPageHolds(*job.getPage(1), secondPageValues());
    EXPECT_EQ(job.getPage(0)->key(), "0");
    EXPECT_EQ(job.getPage(1)->key(), "1");
}

TEST(PropertyMap, JobRoundTripsThroughTheValueForm)
{
    accelMeasParams_st source;
    fillJob(source);
    PropertyMap map;
    source.toMap(map, eSaveValues);

    accelMeasParams_st read;
    read.pages.append(new accelParams_st);
    read.fromMap(map);
    expectJobCameBack(read);
}

TEST(PropertyMap, JobRoundTripsThroughTheFullForm)
{
    accelMeasParams_st source;
    fillJob(source);
    PropertyMap map;
    source.toMap(map, eSaveFullRecords);

    accelMeasParams_st read;
    read.fromMap(map);
    expectJobCameBack(read);
}

TEST(PropertyMap, NewPageValueFormHoldsThePageKeysAsPlainValues)
{
    accelParams_st page;
    PropertyMap map;
    page.toMap(map, eSaveValues);
    for (const QString& key : kPageKeys)
        EXPECT_TRUE(map.contains(key)) << key.toStdString();
    EXPECT_EQ(map.size(), kPageKeys.size() + 2) << "the page keys and the base's two entries";
    EXPECT_EQ(map.value("accelParamsDryTime"), QVariant(0));
    EXPECT_EQ(map.value("accelParamsTakeUp"), QVariant(true));
    EXPECT_EQ(map.value("accelParamsMeasType"), QVariant(0));
    EXPECT_EQ(map.value("accelParamsMm0"), QVariant(1));
    // Length records count the entries before them: the base's two, six choice
    // values and two counts.
    for (int i = 0; i < kLengthKeys.size(); ++i)
        EXPECT_EQ(recordOf(map, kLengthKeys.at(i)).value("OnRow"), QVariant(10 + i));
}

TEST(PropertyMap, NewJobValueForm)
{
    accelMeasParams_st job;
    PropertyMap map;
    job.toMap(map, eSaveValues);
    EXPECT_EQ(map.size(), 4);
    EXPECT_EQ(map.value("MeasPageNum"), QVariant(0));
    EXPECT_EQ(recordOf(map, "accelParamsPageHeight").value("OnRow"), QVariant(1));
    EXPECT_EQ(recordOf(map, "accelParamsPageWidht").value("OnRow"), QVariant(2));
    const PropertyMap group = recordOf(map, "MeasPageGroup");
    EXPECT_EQ(group.size(), 5);
    EXPECT_EQ(group.value("ClassName"), QVariant("accelMeasParams_st"));
    EXPECT_EQ(group.value("Type"), QVariant(job.getType()));
    EXPECT_EQ(group.value("Editable"), QVariant(true));
    EXPECT_EQ(group.value("Visible"), QVariant(true));
    EXPECT_EQ(group.value("Enabled"), QVariant(true));

    accelMeasParams_st read;
    read.fromMap(map);
    EXPECT_EQ(read.pages.size(), 1) << "a job read from a map has at least one page";
}

TEST(PropertyMap, WritingReplacesEntriesAndCountsThoseAlreadyThere)
{
    accelMeasParams_st job;
    PropertyMap map = { { "MeasPageNum", 99 }, { "foreign", 1 }, { "other", 2 } };
    job.toMap(map, eSaveValues);
    EXPECT_EQ(map.value("MeasPageNum"), QVariant(0));
    EXPECT_EQ(recordOf(map, "accelParamsPageHeight").value("OnRow"), QVariant(3));
    EXPECT_EQ(recordOf(map, "accelParamsPageWidht").value("OnRow"), QVariant(4));
}

TEST(PropertyMap, PagesOfTheGroupFollowItsHeader)
{
    const struct
    {
        eSaveMode mode;
        int headerSize;
    } cases[] = { { eSaveValues, 5 }, { eSaveFullRecords, 9 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.headerSize);
        accelMeasParams_st job;
        fillJob(job);
        PropertyMap map;
        job.toMap(map, c.mode);
        EXPECT_EQ(map.value("MeasPageNum"), QVariant(2));
        const PropertyMap group = recordOf(map, "MeasPageGroup");
        EXPECT_EQ(group.size(), c.headerSize + 2);
        EXPECT_EQ(recordOf(group, "0").value("OnRow"), QVariant(c.headerSize));
        EXPECT_EQ(recordOf(group, "1").value("OnRow"), QVariant(c.headerSize + 1));
    }
}

TEST(PropertyMap, FullFormGroupHeaderDescribesThePages)
{
    accelMeasParams_st job;
    fillJob(job);
    PropertyMap map;
    job.toMap(map, eSaveFullRecords);
    EXPECT_EQ(map.value("ClassName"), QVariant("accelMeasParams_st")) << "the job's own header";
    EXPECT_EQ(map.value("Label"), QVariant("Measure settings"));
    const PropertyMap group = recordOf(map, "MeasPageGroup");
    EXPECT_EQ(group.value("Type"), QVariant("Group"));
    EXPECT_EQ(group.value("Label"), QVariant("Pages"));
    EXPECT_EQ(group.value("ToolTips"), QVariant("Contain all Pages to measure"));
    EXPECT_EQ(group.value("StatusTip"), QVariant(QString()));
    EXPECT_EQ(group.value("WhatsThis"), QVariant(QString()));
    EXPECT_EQ(recordOf(map, "accelParamsPageWidht").value("Value"), QVariant(432.0));
}

TEST(PropertyMap, FullFormPageRecords)
{
    const std::unique_ptr<accelParams_st> page(newPageWith(firstPageValues()));
    PropertyMap map;
    page->toMap(map, eSaveFullRecords);
    EXPECT_EQ(map.value("ClassName"), QVariant("accelParams_st"));

    const struct
    {
        const char* key;
        const char* label;
        ChoiceMap choices;
        int value;
        int onRow;
    } choiceRecords[] = {
        { "accelParamsDryType", "Dry Type", page->GetEnumDryType(), firstPageValues().dryType, -1 },
        { "accelParamsMeasType", "Measure Type", page->GetEnumMeasureType(), firstPageValues().measureType, -1 },
        { "accelParamsCalibType", "Calibration Type", page->GetCalibType(), firstPageValues().calibType, -1 },
        { "accelParamsMm0", "M0", page->GetM0Enum(), firstPageValues().mm0, 5 },
        { "accelParamsUVFilter", "UV Filter", page->GetUVFilterEnum(), firstPageValues().uvFilter, 6 },
    };
    for (const auto& c : choiceRecords) {
        SCOPED_TRACE(c.key);
        const PropertyMap record = recordOf(map, c.key);
        EXPECT_EQ(record.value("Label"), QVariant(c.label));
        EXPECT_EQ(record.value("ToolTips"), QVariant(c.label));
        EXPECT_EQ(record.value("Choices").toMap(), c.choices);
        EXPECT_EQ(record.value("Value"), QVariant(c.value));
        EXPECT_EQ(record.value("Editable"), QVariant(true));
        EXPECT_EQ(record.value("Visible"), QVariant(true));
        EXPECT_EQ(record.value("Enabled"), QVariant(true));
        EXPECT_EQ(record.value("StatusTip"), QVariant(QString()));
        EXPECT_EQ(record.value("WhatsThis"), QVariant(QString()));
        EXPECT_EQ(record.value("OnRow", -1).toInt(), c.onRow);
    }

    const PropertyMap dryTime = recordOf(map, "accelParamsDryTime");
    EXPECT_EQ(dryTime.value("Label"), QVariant("Drying Time"));
    EXPECT_EQ(dryTime.value("Value"), QVariant(firstPageValues().dryTime));
    EXPECT_EQ(dryTime.value("Minimum"), QVariant(0.0));
    EXPECT_EQ(dryTime.value("Maximum"), QVariant(100.0));
    EXPECT_EQ(dryTime.value("Step"), QVariant(1));
    EXPECT_EQ(dryTime.value("OnRow"), QVariant(4));

    EXPECT_EQ(map.value("accelParamsPatchForRow"), QVariant(firstPageValues().patchCountPerRow));
    EXPECT_EQ(map.value("accelParamsChannelNum"), QVariant(firstPageValues().numChannels));
    EXPECT_EQ(map.value("accelParamsTakeUp"), QVariant(firstPageValues().takeUp));
    for (const QString& key : kLengthKeys) {
        const PropertyMap length = recordOf(map, key);
        EXPECT_EQ(length.value("Type"), QVariant("Measure")) << key.toStdString();
        EXPECT_EQ(length.value("Visible"), QVariant(false)) << key.toStdString();
        EXPECT_TRUE(length.contains("OnRow")) << key.toStdString();
    }
    EXPECT_EQ(recordOf(map, "accelParamsDimPatchX").value("Value"), QVariant(10.7));
}

TEST(PropertyMap, MeasureTypeKeepsTheLowByte)
{
    const struct
    {
        int stored;
        unsigned char expected;
    } cases[] = { { 4, 4 }, { 260, 4 }, { -1, 255 }, { 511, 255 } };
    for (const auto& c : cases) {
        accelParams_st page;
        page.fromMap({ { "accelParamsMeasType", c.stored } });
        EXPECT_EQ(page.getMeasureType(), c.expected) << c.stored;
    }
}

TEST(PropertyMap, PageFromMapLeavesAbsentKeysAndReadsUnreadableAsZero)
{
    const std::unique_ptr<accelParams_st> page(newPageWith(firstPageValues()));
    page->fromMap(PropertyMap());
    expectPageHolds(*page, firstPageValues());

    page->fromMap({ { "accelParamsDryTime", "soon" },
                    { "accelParamsTakeUp", PropertyMap() },
                    { "accelParamsPatchForRow", 1e30 },
                    { "accelParamsChannelNum", QVariant() } });
    EXPECT_EQ(page->getDryTime(), 0);
    EXPECT_FALSE(page->getTakeUp());
    EXPECT_EQ(page->getPatchCountPerRow(), INT_MAX);
    EXPECT_EQ(page->getNumChannels(), 0);
}

TEST(PropertyMap, FromMapAlwaysHidesTheLengths)
{
    PropertyMap shown;
    for (const QString& key : kLengthKeys)
        shown.insert(key, PropertyMap{ { "Value", 1.0 }, { "Visible", true } });
    for (const PropertyMap& map : { shown, PropertyMap() }) {
        accelParams_st page;
        page.fromMap(map);
        PropertyMap pageMap;
        page.toMap(pageMap, eSaveFullRecords);
        for (const QString& key : kLengthKeys)
            EXPECT_EQ(recordOf(pageMap, key).value("Visible"), QVariant(false)) << key.toStdString();
    }

    accelMeasParams_st job;
    PropertyMap before;
    job.toMap(before, eSaveFullRecords);
    EXPECT_EQ(recordOf(before, "accelParamsPageHeight").value("Visible"), QVariant(true));
    job.fromMap(before);
    PropertyMap after;
    job.toMap(after, eSaveFullRecords);
    EXPECT_EQ(recordOf(after, "accelParamsPageHeight").value("Visible"), QVariant(false));
    EXPECT_EQ(recordOf(after, "accelParamsPageWidht").value("Visible"), QVariant(false));
}

TEST(PropertyMap, JobPageCountComesFromTheMapWithinLimits)
{
    const PropertyMap onePageGroup = { { "0", PropertyMap{ { "accelParamsDryTime", 7 } } } };
    const struct
    {
        const char* name;
        QVariant count;
        int expected;
    } cases[] = {
        { "absent", QVariant(), 1 },
        { "zero", 0, 1 },
        { "negative", -5, 1 },
        { "not a number", "many", 1 },
        { "more than the group holds", 3, 3 },
        { "absurd", INT_MAX, accelMeasParams_st::MaxPageCount },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PropertyMap map = { { "MeasPageGroup", onePageGroup } };
        if (c.count.isValid())
            map.insert("MeasPageNum", c.count);
        accelMeasParams_st job;
        job.fromMap(map);
        ASSERT_EQ(job.pages.size(), c.expected);
        EXPECT_EQ(job.getPage(0)->getDryTime(), 7);
        EXPECT_EQ(job.getPage(c.expected - 1)->key(), QString::number(c.expected - 1));
        if (c.expected > 1) {
            EXPECT_EQ(job.getPage(1)->getDryTime(), 0) << "pages the group lacks keep their defaults";
        }
    }
}

TEST(PropertyMap, JobFromMapToleratesAGroupThatIsNoMap)
{
    accelMeasParams_st job;
    job.fromMap({ { "MeasPageNum", 2 }, { "MeasPageGroup", 5 }, { "accelParamsPageWidht", "wide" } });
    ASSERT_EQ(job.pages.size(), 2);
    EXPECT_EQ(job.getPage(1)->getDryType(), 1);
    EXPECT_EQ(job.getPageWidth(3), 0);
}

PropertyMap valueRecord(const QVariant& value)
{
    return { { "Value", value } };
}

TEST(PropertyMap, PageCheckDataCoherenceReadsTheFourRecords)
{
    const struct
    {
        const char* name;
        PropertyMap in;
        bool expected;
        int dryType;
        unsigned char measureType;
        int calibType;
        int dryTime;
    } cases[] = {
        { "empty", {}, false, 1, 0, 1, 0 },
        { "drying time only", { { "accelParamsDryTime", valueRecord(30) } }, true, 1, 0, 1, 30 },
        { "all four",
          { { "accelParamsDryType", valueRecord(0) },
            { "accelParamsMeasType", valueRecord(260) },
            { "accelParamsCalibType", valueRecord(3) },
            { "accelParamsDryTime", valueRecord(55) } },
          true, 0, 4, 3, 55 },
        { "bare values are no records", { { "accelParamsDryTime", 30 } }, false, 1, 0, 1, 0 },
        { "record without value", { { "accelParamsDryTime", PropertyMap{ { "Label", "x" } } } }, false, 1, 0, 1, 0 },
        { "unreadable value", { { "accelParamsCalibType", valueRecord("x") } }, true, 1, 0, 0, 0 },
        { "other records are not read", { { "accelParamsMm0", valueRecord(0) } }, false, 1, 0, 1, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        accelParams_st page;
        PropertyMap out = { { "kept", 1 } };
        EXPECT_EQ(page.checkDataCoherence(c.in, out), c.expected);
        EXPECT_EQ(page.getDryType(), c.dryType);
        EXPECT_EQ(page.getMeasureType(), c.measureType);
        EXPECT_EQ(page.getCalibType(), c.calibType);
        EXPECT_EQ(page.getDryTime(), c.dryTime);
        EXPECT_EQ(page.getMm0(), 1);
        EXPECT_EQ(out, (PropertyMap{ { "kept", 1 } }));
    }
}

TEST(PropertyMap, JobCheckDataCoherenceReadsEachPageByItsKey)
{
    accelMeasParams_st job;
    job.fromMap({ { "MeasPageNum", 2 } });
    const PropertyMap group = { { "1", PropertyMap{ { "accelParamsDryTime", valueRecord(40) } } } };
    PropertyMap out;
    EXPECT_TRUE(job.checkDataCoherence({ { "MeasPageGroup", group } }, out));
    EXPECT_EQ(job.getPage(0)->getDryTime(), 0);
    EXPECT_EQ(job.getPage(1)->getDryTime(), 40);
    EXPECT_TRUE(out.isEmpty());

    EXPECT_FALSE(job.checkDataCoherence(PropertyMap(), out));

    accelMeasParams_st appended;
    appended.pages.append(new accelParams_st);
    EXPECT_FALSE(appended.checkDataCoherence({ { "MeasPageGroup", group } }, out))
        << "a page without a key finds no record";
}

} // namespace
