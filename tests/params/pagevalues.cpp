#include "pagevalues.h"

#include "accelparams_st.h"

#include <gtest/gtest.h>

PageValues firstPageValues()
{
    return { "a.it8", 120, 2, 0, 35, 12, 6, 3, false, 1, 0, 10.7, 8.0, 5.0, 7.0 };
}

PageValues secondPageValues()
{
    return { "b.it8", 64, 4, 0, 99, 8, 4, 2, false, 1, 0, 6.0, 6.5, 11.0, 13.9 };
}

PropertyMap millimetreRecord(double value)
{
    return { { "Value", value }, { "Unit", 3 } };
}

accelParams_st* newPageWith(const PageValues& values)
{
    auto* page = new accelParams_st;
    page->fromMap({
        { "accelParamsMeasType", int(values.measureType) },
        { "accelParamsDryType", values.dryType },
        { "accelParamsDryTime", values.dryTime },
        { "accelParamsCalibType", values.calibType },
        { "accelParamsTakeUp", values.takeUp },
        { "accelParamsUVFilter", values.uvFilter },
        { "accelParamsMm0", values.mm0 },
        { "accelParamsOffsetX", millimetreRecord(values.offsetX) },
        { "accelParamsOffsetY", millimetreRecord(values.offsetY) },
    });
    page->setIt8FilePath(values.it8FilePath);
    page->setTotalPatchCount(values.totalPatchCount);
    page->setPatchCountPerRow(values.patchCountPerRow);
    page->setNumChannels(values.numChannels);
    page->setPatchSizeX(Measure(3, values.patchSizeX));
    page->setPatchSizeY(Measure(3, values.patchSizeY));
    return page;
}

void expectPageHolds(const accelParams_st& page, const PageValues& values)
{
    EXPECT_EQ(page.getIt8FilePath(), values.it8FilePath);
    EXPECT_EQ(page.getTotalPatchCount(), values.totalPatchCount);
    EXPECT_EQ(page.getMeasureType(), values.measureType);
    EXPECT_EQ(page.getDryType(), values.dryType);
    EXPECT_EQ(page.getDryTime(), values.dryTime);
    EXPECT_EQ(page.getPatchCountPerRow(), values.patchCountPerRow);
    EXPECT_EQ(page.getNumChannels(), values.numChannels);
    EXPECT_EQ(page.getCalibType(), values.calibType);
    EXPECT_EQ(page.getTakeUp(), values.takeUp);
    EXPECT_EQ(page.getUVFilter(), values.uvFilter);
    EXPECT_EQ(page.getMm0(), values.mm0);
    EXPECT_EQ(page.getPatchSizeX(3), int(values.patchSizeX));
    EXPECT_EQ(page.getPatchSizeY(3), int(values.patchSizeY));
    EXPECT_EQ(page.getOffsetX(3), int(values.offsetX));
    EXPECT_EQ(page.getOffsetY(3), int(values.offsetY));
    EXPECT_EQ(page.getResolutionX(), 180);
    EXPECT_EQ(page.getResolutionY(), 180);
}
