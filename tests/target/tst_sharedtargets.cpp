#include "cit8table.h"
#include "cit8toimageobj.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <string>

namespace {

QString sharedTarget(const char* name)
{
    return QDir(LUMETRA_SHARED_TARGETS).filePath(name);
}

} // namespace

TEST(SharedTargets, LoadWithThePropertiesAndCellsTheRulesGive)
{
    if (!QDir(LUMETRA_SHARED_TARGETS).exists())
        GTEST_SKIP() << "no shared target files at " << LUMETRA_SHARED_TARGETS;

    struct SharedCase
    {
        const char* file;
        const char* property;
        const char* value;
        int fields;
        int sets;
        int field;
        int set;
        const char* cell;
    };
    const SharedCase cases[] = {
        {"argyll-ref_ECI2002.ti2", "TARGET_INSTRUMENT", "Xrite DTP41", 9, 1539, 1, 1, "C42"},
        {"displaycal_CMYK_IDEAlliance_ISO_12647-7_Control_Wedge_2013.ti1", "COLOR_REP", "CMYK", 6, 84, 5, 1, "80"},
        {"displaycal_CMYK_ISO_12647-7_outer_gamut.ti1", "NUMBER_OF_SETS", "226", 5, 226, 0, 225, "1410"},
        {"hamzafer_APTEC_CMYKOGV_7clr_xyzlab.txt", "DESCRIPTOR", "APTEC_CMYKOGV_COATED_LINEARCTV_2025", 0, 0, 0, 0,
         nullptr},
        {"hamzafer_APTEC_PC10_CardBoard_2023_v1.txt", "PRINT_CONDITIONS", "SHEET", 0, 0, 0, 0, nullptr},
        {"hamzafer_FOGRA51.txt", "CREATED", "May 2015", 8, 1617, 7, 0, "-6"},
        {"icc-profiles-free_FOGRA39L.ti3", "DESCRIPTOR", "FOGRA39L", 11, 1617, 8, 1, "90.67"},
        {"jungleCcc_CMYKOGV_i1Pro3iO_XGAMUNT.txt", "CREATED", "31", 0, 0, 0, 0, nullptr},
        {"kresovicmilan_ECI2002V_CMYK.txt", "LGOROWLENGTH", "33", 6, 1485, 1, 9, "A10"},
    };
    for (const SharedCase& c : cases) {
        SCOPED_TRACE(c.file);
        const auto table = CIt8Table::Load(QFile::encodeName(sharedTarget(c.file)).constData());
        ASSERT_TRUE(table);
        EXPECT_STREQ(table->GetPropertyText(c.property), c.value);
        EXPECT_EQ(table->GetFieldCount(), c.fields);
        EXPECT_EQ(table->GetSetCount(), c.sets);
        char cell[64];
        EXPECT_EQ(table->GetCellAt(c.field, c.set, cell, sizeof cell), c.cell != nullptr);
        if (c.cell) {
            EXPECT_STREQ(cell, c.cell);
        }
    }
}

TEST(SharedTargets, FindPatchesByTheirKeyColumn)
{
    if (!QDir(LUMETRA_SHARED_TARGETS).exists())
        GTEST_SKIP() << "no shared target files at " << LUMETRA_SHARED_TARGETS;

    // ECI2002 fills 54 sets with SAMPLE_ID 0; the first of them answers for all.
    const auto eci = CIt8Table::Load(QFile::encodeName(sharedTarget("argyll-ref_ECI2002.ti2")).constData());
    ASSERT_TRUE(eci);
    char cell[16];
    EXPECT_EQ(eci->FindPatchSet("1539"), -1);
    ASSERT_TRUE(eci->GetCellAt(0, 1538, cell, sizeof cell));
    EXPECT_EQ(eci->FindPatchSet(cell), eci->FindPatchSet("0"));
    EXPECT_LT(eci->FindPatchSet("0"), 1538);

    // "SampleID" is the key column: normalised and searched case-insensitively.
    const auto logo = CIt8Table::Load(QFile::encodeName(sharedTarget("kresovicmilan_ECI2002V_CMYK.txt")).constData());
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->GetKeyColumn(), 0);
    EXPECT_EQ(logo->FindPatchSet("171"), 0);
    double magenta = 0.0;
    ASSERT_TRUE(logo->GetCellNumber("170", "cmyk_m", magenta));
    EXPECT_EQ(magenta, 85.0);
}

TEST(SharedTargets, GiveColourTablesFromTheCmykTargets)
{
    if (!QDir(LUMETRA_SHARED_TARGETS).exists())
        GTEST_SKIP() << "no shared target files at " << LUMETRA_SHARED_TARGETS;

    struct ChartCase
    {
        const char* file;
        int totalPatches;
        int firstPixel[4];
    };
    const ChartCase cases[] = {
        {"argyll-ref_ECI2002.ti2", 1540, {0, 0, 0, 0}},
        {"displaycal_CMYK_IDEAlliance_ISO_12647-7_Control_Wedge_2013.ti1", 90, {254, 0, 0, 0}},
        {"displaycal_CMYK_ISO_12647-7_outer_gamut.ti1", 230, {0, 0, 0, 0}},
        {"hamzafer_FOGRA51.txt", 1620, {0, 0, 0, 0}},
        {"icc-profiles-free_FOGRA39L.ti3", 1620, {0, 0, 0, 0}},
        {"kresovicmilan_ECI2002V_CMYK.txt", 1490, {0, 254, 51, 0}},
    };
    for (const ChartCase& c : cases) {
        SCOPED_TRACE(c.file);
        CIt8ToImageObj image(sharedTarget(c.file));
        ASSERT_EQ(image.ComputeLinearizationChart(1, 1, 10, 4), 1);
        EXPECT_EQ(image.GetTotalPatchCount(), c.totalPatches);
        ASSERT_EQ(image.GetTargetImageSize(), 4 * c.totalPatches);
        // Set 0 is the first pixel of the bottom line.
        const PixelExtend* first = image.GetTargetImage() + image.GetTargetImageSize() - 40;
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(first[i], c.firstPixel[i]) << "byte " << i;
    }

    // The same characterisation set, written by two programs: the same table.
    CIt8ToImageObj fogra39(sharedTarget("icc-profiles-free_FOGRA39L.ti3"));
    CIt8ToImageObj fogra51(sharedTarget("hamzafer_FOGRA51.txt"));
    ASSERT_EQ(fogra39.ComputeLinearizationChart(1, 1, 33, 4), 1);
    ASSERT_EQ(fogra51.ComputeLinearizationChart(1, 1, 33, 4), 1);
    ASSERT_EQ(fogra39.GetTargetImageSize(), fogra51.GetTargetImageSize());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(fogra39.GetTargetImage()), fogra39.GetTargetImageSize()),
              QByteArray(reinterpret_cast<const char*>(fogra51.GetTargetImage()), fogra51.GetTargetImageSize()));

    // Targets whose parse ends before their data give no table at all.
    for (const char* file : {"hamzafer_APTEC_CMYKOGV_7clr_xyzlab.txt", "jungleCcc_CMYKOGV_i1Pro3iO_XGAMUNT.txt"}) {
        CIt8ToImageObj image(sharedTarget(file));
        EXPECT_EQ(image.ComputeLinearizationChart(1, 1, 10, 7), 0) << file;
    }
}
