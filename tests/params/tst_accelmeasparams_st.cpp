#include "accelmeasparams_st.h"
#include "pagevalues.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>

namespace {

// A page that counts its destructions, to see who deletes what.
class CountedPage : public accelParams_st
{
public:
    explicit CountedPage(int& deletions)
        : m_deletions(deletions)
    {
    }
    ~CountedPage() override { ++m_deletions; }

private:
    int& m_deletions;
};

TEST(AccelMeasParams, NewJobIsEmpty)
{
    accelMeasParams_st job;
    EXPECT_TRUE(job.pages.isEmpty());
    EXPECT_EQ(job.getPage(0), nullptr);
    EXPECT_EQ(job.getPage(-1), nullptr);
    EXPECT_EQ(job.getPageWidth(3), 0);
    EXPECT_EQ(job.getPageHeight(3), 0);
    EXPECT_EQ(job.getClass(), "accelMeasParams_st");
    EXPECT_EQ(job.getLabel(), "Measure settings");
    EXPECT_EQ(job.getToolTips(), "Measure settings");
}

TEST(AccelMeasParams, GetPageAnswersOnlyInsideThePages)
{
    accelMeasParams_st job;
    job.pages.append(new accelParams_st);
    job.pages.append(new accelParams_st);
    const struct
    {
        int index;
        accelParams_st* expected;
    } cases[] = {
        { 0, job.pages.at(0) }, { 1, job.pages.at(1) }, { 2, nullptr },
        { -1, nullptr },        { INT_MIN, nullptr },   { INT_MAX, nullptr },
    };
    for (const auto& c : cases)
        EXPECT_EQ(job.getPage(c.index), c.expected) << c.index;
}

TEST(AccelMeasParams, PaperSizeReadsInWholeMillimetres)
{
    const struct
    {
        double millimetres;
        int expected;
    } cases[] = {
        { 432.0, 432 },
        { 610.9, 610 },
        { -0.5, 0 },
        { 1e15, INT_MAX },
        { std::numeric_limits<double>::quiet_NaN(), 0 },
    };
    for (const auto& c : cases) {
        accelMeasParams_st job;
        job.setPageWidth(Measure(3, c.millimetres));
        job.setPageHeight(Measure(3, c.millimetres));
        EXPECT_EQ(job.getPageWidth(3), c.expected) << c.millimetres;
        EXPECT_EQ(job.getPageHeight(3), c.expected) << c.millimetres;
    }
    accelMeasParams_st job;
    job.setPageWidth(Measure(Measure::Centimetre, 43.2));
    EXPECT_EQ(job.getPageWidth(Measure::Millimetre), 432);
}

TEST(AccelMeasParams, ACopyOwnsCopiesOfThePages)
{
    int deletions = 0;
    {
        accelMeasParams_st source;
        source.setPageWidth(Measure(3, 432.0));
        source.pages.append(new CountedPage(deletions));
        source.pages.append(newPageWith(secondPageValues()));
        {
            const accelMeasParams_st copy(source);
            ASSERT_EQ(copy.pages.size(), 2);
            EXPECT_NE(copy.getPage(0), source.getPage(0));
            EXPECT_NE(copy.getPage(1), source.getPage(1));
            expectPageHolds(*copy.getPage(1), secondPageValues());
            EXPECT_EQ(copy.getPageWidth(3), 432);
        }
        EXPECT_EQ(deletions, 0) << "the copy deleted only its own pages";
        expectPageHolds(*source.getPage(1), secondPageValues());
    }
    EXPECT_EQ(deletions, 1);
}

TEST(AccelMeasParams, AssignmentReplacesThePages)
{
    int deletions = 0;
    accelMeasParams_st source;
    source.setPageHeight(Measure(3, 610.0));
    source.pages.append(newPageWith(firstPageValues()));
    source.pages.append(newPageWith(secondPageValues()));

    accelMeasParams_st target;
    target.pages.append(new CountedPage(deletions));
    target = source;
    EXPECT_EQ(deletions, 1);
    ASSERT_EQ(target.pages.size(), 2);
    expectPageHolds(*target.getPage(0), firstPageValues());
    expectPageHolds(*target.getPage(1), secondPageValues());
    EXPECT_EQ(target.getPageHeight(3), 610);
    EXPECT_NE(target.getPage(0), source.getPage(0));
}

TEST(AccelMeasParams, SelfAssignmentChangesNothing)
{
    int deletions = 0;
    accelMeasParams_st job;
    job.pages.append(new CountedPage(deletions));
    accelParams_st* const page = job.getPage(0);
    accelMeasParams_st& same = job;
    job = same;
    EXPECT_EQ(deletions, 0);
    ASSERT_EQ(job.pages.size(), 1);
    EXPECT_EQ(job.getPage(0), page);
}

} // namespace
