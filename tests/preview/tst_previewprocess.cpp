// lumetra-preview as a user runs it, on a chart made through the simulator.
#include "chartmaker.h"
#include "processoutput.h"
#include "separationsheet.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>

namespace {

class PreviewProcess : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(maker.isValid());
        const QStringList fields = {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K", "CMYK_A", "CMYK_B"};
        QList<QList<int>> rows;
        for (int set = 0; set < 12; ++set)
            rows << QList<int>{set * 8, 0, 50, 0, 100 - set * 8, 20};
        target = maker.writeTarget(QStringLiteral("CMYKcm"), fields, rows);
        ASSERT_EQ(maker.run(target, 6, 12, 6), 0) << maker.log().join(QLatin1Char('\n')).toStdString();
        png = maker.filePath(QStringLiteral("preview.png"));
    }

    // The exit code, -1 when the process did not end normally.
    int run(const QStringList& arguments)
    {
        QProcess process;
        process.start(QStringLiteral(LUMETRA_PREVIEW_EXECUTABLE), arguments);
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        standardOutput = process.readAllStandardOutput();
        standardError = QString::fromLocal8Bit(withoutSanitizerReport(process.readAllStandardError()));
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    ChartMaker maker;
    QString target;
    QString png;
    QByteArray standardOutput;
    QString standardError;
};

TEST_F(PreviewProcess, WritesThePictureAndItsSeparations)
{
    ASSERT_EQ(run({"-separations", "-width", "372", maker.chart(), png}), 0) << standardError.toStdString();
    EXPECT_TRUE(standardError.isEmpty()) << standardError.toStdString();
    PngPicture picture;
    ASSERT_TRUE(picture.read(png));
    // The chart is 744 x 510 pixels: the picture is half of it.
    const SeparationSheet sheet(InkSet::forChannels(6), 744, 510, 255);
    EXPECT_EQ(picture.width, 372 + sheet.width());
    EXPECT_EQ(picture.height, std::max(255, sheet.height()));
}

TEST_F(PreviewProcess, RefusesWithAReasonAndLeavesAnOlderPreviewAsItWas)
{
    struct RefusalCase
    {
        QStringList arguments;
        QString reason;
        bool usage;
    };
    const QString chart = maker.chart();
    const RefusalCase cases[] = {
        {{}, "a chart TIFF and a PNG to write are needed, 0 paths given", true},
        {{chart}, "a chart TIFF and a PNG to write are needed, 1 paths given", true},
        {{"-width", "0", chart, png}, "-width 0: the width must be a whole number of pixels above 0", true},
        {{"-width", "12x", chart, png}, "-width 12x: the width must be", true},
        {{"-bogus", chart, png}, "unknown option -bogus", true},
        {{chart, png, "-inks"}, "-inks needs a value", true},
        {{"-inks", "CMYKcQ", chart, png}, "'Q' names no ink; the inks are C M Y K c m k n O G V R B x", false},
        {{"-inks", "CMYK", chart, png}, "4 inks named (CMYK) for " + chart + ", which has 6 channels", false},
        {{target, png}, target, false},
        {{maker.filePath(QStringLiteral("absent.tif")), png}, maker.filePath(QStringLiteral("absent.tif")), false},
        {{chart, chart}, "the preview " + chart + " would replace the chart", false},
        {{chart, maker.filePath(QStringLiteral("absent/p.png"))}, maker.filePath(QStringLiteral("absent/p.png")), false},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QFile older(png);
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("an older picture");
        older.close();
        EXPECT_EQ(run(c.arguments), 1);
        EXPECT_TRUE(standardError.startsWith("lumetra-preview: " + c.reason)) << standardError.toStdString();
        EXPECT_EQ(standardError.contains(QStringLiteral("lumetra-preview usage")), c.usage);
        ASSERT_TRUE(older.open(QIODevice::ReadOnly));
        EXPECT_EQ(older.readAll(), QByteArray("an older picture"));
        older.close();
    }
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_TRUE(standardOutput.startsWith("lumetra-preview usage")) << standardOutput.constData();
}

} // namespace
