// Whole chart runs of the lumetra executable against the printer simulator.
#include "ctiffimg.h"
#include "recordbytes.h"
#include "processoutput.h"
#include "sharedtargets.h"
#include "simfolder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

// "lumetra" or "lumetra.exe": Windows starts only a file with its extension.
QString executableName()
{
    return QFileInfo(QStringLiteral(LUMETRA_EXECUTABLE)).fileName();
}

class ChartRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        executable = work.filePath(executableName());
        ASSERT_TRUE(QFile::copy(QStringLiteral(LUMETRA_EXECUTABLE), executable));
        it8 = writeTarget(work.filePath(QStringLiteral("target.it8")), QStringLiteral("CMYK"),
                          {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"}, 10);
        tiff = work.filePath(QStringLiteral("chart.tif"));
    }

    QStringList options(const QString& sdkFolder) const
    {
        QStringList args;
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            args << it.key() << it.value();
        args << "-accellpath" << sdkFolder;
        return args;
    }

    // Runs lumetra, optionally through a shell prefix; the exit code, or -1 when it did not end normally.
    int run(const QStringList& arguments, const QString& shellPrefix = QString())
    {
        QProcess process;
        process.setWorkingDirectory(work.path());
        if (shellPrefix.isEmpty()) {
            process.start(executable, arguments);
        } else {
            QString command = shellPrefix + QStringLiteral(" exec \"$0\" \"$@\"");
            process.start(QStringLiteral("/bin/sh"), QStringList{"-c", command, executable} + arguments);
        }
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        standardError = QString::fromLocal8Bit(withoutSanitizerReport(process.readAllStandardError()))
                            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    QStringList log() const
    {
        QFile f(work.filePath(QStringLiteral("lumetralog.txt")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        QString text = QString::fromLatin1(f.readAll());
        if (text.endsWith(QLatin1Char('\n')))
            text.chop(1);
        return text.split(QLatin1Char('\n'));
    }

    QTemporaryDir work;
    QString executable;
    QStringList standardError;
    QString it8;
    QString tiff;
    QMap<QString, QString> values{{"-it8", QString()},        {"-tiffoutput", QString()}, {"-patchperrow", "4"},
                                  {"-patchsizex", "10"},      {"-patchsizey", "8"},       {"-papersizex", "320"},
                                  {"-papersizey", "450"},     {"-numcolor", "4"},         {"-numpatch", "10"},
                                  {"-prnconntype", "3"},      {"-prnaddr", "127.0.0.1"},  {"-prnmodel", "ILS30EP"}};

    void useFiles()
    {
        values["-it8"] = it8;
        values["-tiffoutput"] = tiff;
    }
};

TEST_F(ChartRun, SuccessfulRunLogsEveryStepAndReleasesTheSdk)
{
    useFiles();
    SimFolder sim;
    ASSERT_TRUE(sim.isValid());
    ASSERT_EQ(run(options(sim.path())), 0);
    const QStringList expected = {
        "accelPath: " + sim.path(),
        "it8File: " + it8,
        "outputTiff: " + tiff,
        "patchperRow: 4",
        "patchsizex: 10",
        "patchsizey: 8",
        "pagesizex: 320",
        "pagesizey: 450",
        "colornum: 4",
        "patchnum: 10",
        "prnconnTye: 3",
        "prnAddr: 127.0.0.1",
        "prnModel: ILS30EP",
        "Library Path " + sim.libraryPath(),
        "ACCEL Instrument Inizialized: " + sim.path(),
        "ACCEL fw ver.:ACCEL simulator ILS30EP firmware 1.0 chart type.:2",
        "Building color table from " + it8,
        "Colortable built.",
        "TotalPatchcount=12 PatchesPerRow=4 ColorTableSize48",
        "Creating TIFF - width=602 height=566 resX=180 resY=180",
        "closing tiff",
        "TIFF generation successfully created",
        "finished",
    };
    EXPECT_EQ(log(), expected);
    EXPECT_TRUE(QFile::exists(tiff));
    EXPECT_EQ(sim.operations(),
              QStringList({"LoadFunction", "LoadLibraryInitialize", "Initialize", "SetPrinter", "Open",
                           "GetConnectionInfo", "GetErrorCodes", "Close", "Open", "CreateDoc", "SetApplicationName",
                           "SetPlatformName", "StartDoc", "CreateChart", "AbortDoc", "DeleteDoc", "Close", "Terminate",
                           "LoadLibraryTerminate"}));
}

TEST_F(ChartRun, PaperSizeAndDocumentModeReachThePrintersRecord)
{
    useFiles();
    values["-papersizex"] = "330";
    values["-papersizey"] = "482";
    SimFolder sim;
    ASSERT_EQ(run(options(sim.path())), 0) << log().join('\n').toStdString();
    EXPECT_EQ(sim.call(QStringLiteral("StartDoc")),
              QStringLiteral("StartDoc(h=1, doc=1, record{doc=1, page=33000x48200, media=33000x48200, modes=1,0,0}) = 0"));
    // Document mode 2: no data files, pages end with the printer's end of page.
    const QByteArray expected = expectedDocRecord({1, 33000, 48200, 1, 0, 0});
    const QByteArray given = sim.startDocRecord();
    EXPECT_EQ(given, expected) << recordDifferences(given, expected).toStdString();
}

struct ChartRecordCase
{
    const char* name;
    int32_t channels;
    const char* firmware;
    int32_t chartType;
};

class ChartRunChartRecord : public ChartRun, public ::testing::WithParamInterface<ChartRecordCase>
{
};

// Checked at the printer's byte offsets, as the simulator reads the record through the driver's own header.
TEST_P(ChartRunChartRecord, HoldsEveryFieldAtItsByteOffset)
{
    const ChartRecordCase& c = GetParam();
    useFiles();
    values["-numcolor"] = QString::number(c.channels);
    SimFolder sim(QStringLiteral("version = ") + QLatin1String(c.firmware));
    ASSERT_EQ(run(options(sim.path())), 0) << log().join('\n').toStdString();
    const QByteArray given = sim.createChartRecord();
    const uint64_t colourTable = chartRecordColourTable(given);
    EXPECT_NE(colourTable, 0u) << "no colour table";
    // 10 patches padded to 3 rows of 4, each 10 x 8 mm at 180 dpi: a chart of 40 + 45.4 by 24 + 56 mm.
    const QByteArray expected =
        expectedChartRecord({c.channels, 12, 180, 180, 1000, 800, 4, 8500, 8000, colourTable, c.chartType});
    EXPECT_EQ(given, expected) << recordDifferences(given, expected).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    ChannelCodes, ChartRunChartRecord,
    ::testing::Values(ChartRecordCase{"threeChannelsOnWhite", 3, "ILS30EP 1.0", 2},
                      ChartRecordCase{"fourChannels", 4, "ILS30EP 1.0", 2},
                      ChartRecordCase{"sixChannels", 6, "ILS30EP 1.0", 2},
                      ChartRecordCase{"chartTypeOfTheIls20ep", 4, "ILS20EP 1.0", 1}),
    [](const ::testing::TestParamInfo<ChartRecordCase>& info) { return std::string(info.param.name); });

struct AcceptedCase
{
    const char* name;
    const char* option;
    const char* value;
    const char* targetHeader;
    const char* logged;
};

class ChartRunAccepted : public ChartRun, public ::testing::WithParamInterface<AcceptedCase>
{
};

TEST_P(ChartRunAccepted, ValuesAtTheLimitsMakeAChart)
{
    const AcceptedCase& c = GetParam();
    useFiles();
    writeTarget(it8, QStringLiteral("CMYK"), {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"}, 10,
                QString::fromLatin1(c.targetHeader));
    values[c.option] = c.value;
    SimFolder sim;
    ASSERT_EQ(run(options(sim.path())), 0) << log().join('\n').toStdString();
    EXPECT_TRUE(log().contains(QString::fromLatin1(c.logged))) << log().join('\n').toStdString();
    CTiffImg chart;
    ASSERT_TRUE(chart.Open(QFile::encodeName(tiff).constData()));
    EXPECT_EQ(chart.GetSamples(), values["-numcolor"].toULong());
}

INSTANTIATE_TEST_SUITE_P(
    Options, ChartRunAccepted,
    ::testing::Values(AcceptedCase{"rowLengthFromTheTarget", "-patchperrow", "-1", "LGOROWLENGTH 5",
                                   "TotalPatchcount=10 PatchesPerRow=5 ColorTableSize40"},
                      AcceptedCase{"oneChannel", "-numcolor", "1", "", "TotalPatchcount=12 PatchesPerRow=4 ColorTableSize12"},
                      AcceptedCase{"mostChannels", "-numcolor", "32", "",
                                   "TotalPatchcount=12 PatchesPerRow=4 ColorTableSize384"},
                      AcceptedCase{"smallestPatch", "-patchsizex", "1", "",
                                   "TotalPatchcount=12 PatchesPerRow=4 ColorTableSize48"}),
    [](const ::testing::TestParamInfo<AcceptedCase>& info) { return std::string(info.param.name); });

struct FailureCase
{
    const char* name;
    const char* scenario;
    const char* lastLine;    // null: the run succeeds
    const char* releaseFrom; // the first of the clean-up calls that must end the trace, or null for none
};

class ChartRunFailure : public ChartRun, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(ChartRunFailure, LogsWhyAndReleasesTheSdk)
{
    const FailureCase& c = GetParam();
    useFiles();
    SimFolder sim(QString::fromLatin1(c.scenario));
    ASSERT_TRUE(sim.isValid());
    const int exitCode = run(options(sim.path()));
    const QStringList lines = log();
    if (!c.lastLine) {
        EXPECT_EQ(exitCode, 0);
        EXPECT_EQ(lines.last(), QStringLiteral("finished"));
        return;
    }
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(lines.last(), QString::fromLatin1(c.lastLine)) << lines.join('\n').toStdString();
    // The console ends with the driver's reason and where the log is.
    const QString summary = standardError.value(standardError.size() - 1);
    EXPECT_TRUE(summary.startsWith(QStringLiteral("lumetra: ")) && summary.size() > 9
                && summary.endsWith(QStringLiteral(" (log: %1)")
                                     .arg(QDir::toNativeSeparators(work.filePath(QStringLiteral("lumetralog.txt"))))))
        << summary.toStdString();
    EXPECT_EQ(standardError.mid(0, lines.size()), lines);
    EXPECT_FALSE(lines.contains(QStringLiteral("finished")));
    EXPECT_FALSE(QFile::exists(tiff));
    const QStringList operations = sim.operations();
    if (c.releaseFrom) {
        const QStringList release = {"AbortDoc", "DeleteDoc", "Close", "Terminate", "LoadLibraryTerminate"};
        const QStringList tail = release.mid(release.indexOf(QString::fromLatin1(c.releaseFrom)));
        EXPECT_EQ(operations.mid(operations.size() - tail.size()), tail) << operations.join(' ').toStdString();
    } else {
        EXPECT_FALSE(operations.contains(QStringLiteral("Terminate")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    SdkOperations, ChartRunFailure,
    ::testing::Values(
        FailureCase{"LoadFunction", "fail.LoadFunction = 0x10", "ACCEL: m_accelLoad_Function error", nullptr},
        FailureCase{"LoadLibraryInitialize", "fail.LoadLibraryInitialize = 0x11", "ACCEL: LoadLibraryInitialize error",
                    nullptr},
        FailureCase{"Initialize", "fail.Initialize = 1", "ACCEL: Initialize error", nullptr},
        FailureCase{"SetPrinter", "fail.SetPrinter = 0x12", "ACCEL: SetPrinter error ILS30EP", "Close"},
        FailureCase{"FirstOpen", "fail.Open = 0x13 @1", "ACCEL: isAccelConnected Open error", "Close"},
        FailureCase{"GetConnectionInfo", "fail.GetConnectionInfo = 0x14", "ACCEL: isAccelConnected ACCEL_FATAL_ERROR",
                    "Close"},
        FailureCase{"NotConnected", "connection = 0", "ACCEL: isAccelConnected ACCEL_FATAL_ERROR", "Close"},
        FailureCase{"FirstClose", "fail.Close = 0x15 @1", "ACCEL: isAccelConnected Close error", "Close"},
        FailureCase{"SecondOpen", "fail.Open = 0x16 @2", "ACCEL: AccelStart Open error", "Close"},
        FailureCase{"CreateDoc", "fail.CreateDoc = 0x17", "ACCEL: AccelDocument CreateDoc error", "Close"},
        FailureCase{"SetApplicationName", "fail.SetApplicationName = 0x18",
                    "ACCEL fw ver.:ACCEL simulator ILS30EP firmware 1.0 chart type.:2", "AbortDoc"},
        FailureCase{"SetPlatformName", "fail.SetPlatformName = 0x19",
                    "ACCEL fw ver.:ACCEL simulator ILS30EP firmware 1.0 chart type.:2", "AbortDoc"},
        FailureCase{"StartDoc", "fail.StartDoc = 0x1a", "ACCEL: StartDoc error", "AbortDoc"},
        FailureCase{"CreateChart", "fail.CreateChart = 0x1b", "CreateChart failed", "AbortDoc"},
        FailureCase{"GetErrorCodesLeavesTheVersionEmpty", "fail.GetErrorCodes = 0x1c", nullptr, nullptr}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

struct RefusalCase
{
    const char* name;
    const char* option;
    const char* value;
    const char* logged;
};

class ChartRunRefusal : public ChartRun, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(ChartRunRefusal, ValuesThatCannotMakeAChartStopBeforeTheSdk)
{
    const RefusalCase& c = GetParam();
    useFiles();
    values[c.option] = c.value;
    SimFolder sim;
    EXPECT_EQ(run(options(sim.path())), 1);
    const QStringList lines = log();
    ASSERT_EQ(lines.size(), 14) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains(QString::fromLatin1(c.logged)));
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("Invalid option %1 ").arg(c.option)))
        << lines.last().toStdString();
    EXPECT_TRUE(sim.operations().isEmpty()) << "the SDK was not loaded";
}

INSTANTIATE_TEST_SUITE_P(
    Options, ChartRunRefusal,
    ::testing::Values(RefusalCase{"noPatchesPerRow", "-patchperrow", "0", "patchperRow: 0"},
                      RefusalCase{"narrowPatch", "-patchsizex", "0", "patchsizex: 0"},
                      RefusalCase{"flatPatch", "-patchsizey", "-3", "patchsizey: -3"},
                      RefusalCase{"noChannels", "-numcolor", "0", "colornum: 0"},
                      RefusalCase{"tooManyChannels", "-numcolor", "33", "colornum: 33"},
                      RefusalCase{"wrappedPaperWidth", "-papersizex", "-1", "pagesizex: 4294967295"},
                      RefusalCase{"paperTooHigh", "-papersizey", "21474837", "pagesizey: 21474837"},
                      RefusalCase{"chartTooWide", "-patchperrow", "2147483", "patchperRow: 2147483"}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

struct MisuseCase
{
    const char* name;
    const char* scenario;
    const char* cause; // the log line that names it, or null where only the SDK's answer does
};

class ChartRunMisusedCallbacks : public ChartRun, public ::testing::WithParamInterface<MisuseCase>
{
};

// No file under the final name, nor a temporary one beside it.
bool onlyTheInputsAreLeft(const QTemporaryDir& work)
{
    return QDir(work.path()).entryList(QDir::Files)
        == QStringList({executableName(), "lumetralog.txt", "target.it8"});
}

TEST_P(ChartRunMisusedCallbacks, FailTheChartAndLeaveNoFile)
{
    const MisuseCase& c = GetParam();
    useFiles();
    SimFolder sim(QString::fromLatin1(c.scenario));
    ASSERT_TRUE(sim.isValid());
    EXPECT_EQ(run(options(sim.path())), 1);
    const QStringList lines = log();
    // The SDK thread's lines reach the log after the main thread's.
    EXPECT_TRUE(lines.contains(QStringLiteral("CreateChart failed"))) << lines.join('\n').toStdString();
    EXPECT_FALSE(lines.contains(QStringLiteral("finished")));
    if (c.cause) {
        EXPECT_TRUE(lines.contains(QString::fromLatin1(c.cause))) << lines.join('\n').toStdString();
    }
    EXPECT_TRUE(onlyTheInputsAreLeft(work)) << QDir(work.path()).entryList(QDir::Files).join(' ').toStdString();
    EXPECT_EQ(sim.operations().last(), QStringLiteral("LoadLibraryTerminate"));
}

// The chart of the default target is 602 x 566 pixels, handed over in batches of 64 lines.
INSTANTIATE_TEST_SUITE_P(
    Sdk, ChartRunMisusedCallbacks,
    ::testing::Values(
        MisuseCase{"secondBegin", "chart.fault = rebegin", "ACCEL: the SDK began the chart again after 64 lines"},
        MisuseCase{"otherWidth", "chart.fault = width=600",
                   "ACCEL: the SDK handed over lines of 600 pixels and 4 channels for a chart of 602 pixels and 4 "
                   "channels"},
        MisuseCase{"outOfOrder", "chart.fault = reverse", "ACCEL: the SDK handed over line 512 where line 0 was due"},
        MisuseCase{"linesPastTheHeight", "chart.fault = extra=3",
                   "ACCEL: the SDK handed over lines 566 to 568 of a chart of 566 lines"},
        MisuseCase{"lineAfterTheEnd", "chart.fault = line-after-end",
                   "ACCEL: the SDK handed over chart lines after the end of the chart"},
        MisuseCase{"errorAfterACompleteEnd", "chart.fault = answer-after-end=0x1234", nullptr}),
    [](const ::testing::TestParamInfo<MisuseCase>& info) { return std::string(info.param.name); });

TEST_F(ChartRun, ASecondRunReplacesTheChartOfTheFirst)
{
    useFiles();
    SimFolder sim;
    ASSERT_EQ(run(options(sim.path())), 0) << log().join('\n').toStdString();
    values["-patchsizey"] = "9";
    ASSERT_EQ(run(options(sim.path())), 0) << log().join('\n').toStdString();
    EXPECT_EQ(log().last(), QStringLiteral("finished"));
    CTiffImg chart;
    ASSERT_TRUE(chart.Open(QFile::encodeName(tiff).constData()));
    EXPECT_GT(chart.GetHeight(), 566u) << "the taller patches of the second run";
    chart.Close();
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files),
              QStringList({"chart.tif", executableName(), "lumetralog.txt", "target.it8"}));
}

TEST_F(ChartRun, ATargetPathBeyondAsciiIsFound)
{
    const QString colourFolder = work.filePath(QString::fromUtf8("f\xc3\xa4rg"));
    ASSERT_TRUE(QDir().mkpath(colourFolder));
    const QString target = colourFolder + QString::fromUtf8("/f\xc3\xa4rg-\xc3\xbc.it8");
    ASSERT_TRUE(QFile::copy(it8, target));
    values["-it8"] = target;
    values["-tiffoutput"] = colourFolder + QString::fromUtf8("/chart-\xc3\xa9.tif");
    SimFolder sim;
    ASSERT_EQ(run(options(sim.path())), 0) << log().join('\n').toStdString();
    EXPECT_TRUE(log().contains(QStringLiteral("it8File: ") + target)) << log().join('\n').toStdString();
    CTiffImg chart;
    ASSERT_TRUE(chart.Open(QFile::encodeName(values["-tiffoutput"]).constData()));
    EXPECT_EQ(chart.GetHeight(), 566u);
}

TEST_F(ChartRun, TheDemoChartIsTheReferenceChartByteForByte)
{
#ifdef LUMETRA_REFERENCE_CHART
    const QString reference = QStringLiteral(LUMETRA_REFERENCE_CHART);
#else
    const QString reference;
#endif
    if (reference.isEmpty())
        GTEST_SKIP() << "no reference chart to compare with (LUMETRA_REFERENCE_CHART: the demo chart of another build)";
    ASSERT_TRUE(QFile::exists(reference)) << "the reference chart " << reference.toStdString() << " is missing";
    // The arguments of scripts/run-demo.sh.
    // Absolute with its drive: the run's working folder may lie on another drive on Windows.
    values = {{"-it8", QFileInfo(QStringLiteral(LUMETRA_SOURCE_DIR "/samples/demo_cmykcm.it8")).absoluteFilePath()},
              {"-tiffoutput", tiff}, {"-patchperrow", "8"}, {"-patchsizex", "8"}, {"-patchsizey", "6"},
              {"-papersizex", "320"}, {"-papersizey", "450"}, {"-numcolor", "6"}, {"-numpatch", "36"},
              {"-prnconntype", "3"}, {"-prnaddr", "127.0.0.1"}, {"-prnmodel", "ILS30EP"}};
    SimFolder sim;
    ASSERT_EQ(run(options(sim.path())), 0) << log().join('\n').toStdString();
    QFile written(tiff);
    QFile expected(reference);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    ASSERT_TRUE(expected.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll() == expected.readAll()) << "the chart differs from " << reference.toStdString();
}

TEST_F(ChartRun, LinesFromTwoThreadsAtOnceAreWrittenInOrderOrRefused)
{
    useFiles();
    SimFolder sim(QStringLiteral("chart.batch = 8\nchart.fault = threads"));
    const int exitCode = run(options(sim.path()));
    const QStringList lines = log();
    if (exitCode == 0) {
        CTiffImg chart;
        ASSERT_TRUE(chart.Open(QFile::encodeName(tiff).constData()));
        EXPECT_EQ(chart.GetHeight(), 566u);
        return;
    }
    EXPECT_EQ(exitCode, 1);
    const QRegularExpression outOfOrder(QStringLiteral("^ACCEL: the SDK handed over line \\d+ where line \\d+ was due$"));
    EXPECT_FALSE(lines.filter(outOfOrder).isEmpty()) << lines.join('\n').toStdString();
    EXPECT_TRUE(onlyTheInputsAreLeft(work));
}

TEST_F(ChartRun, ValuesCannotForgeLogLines)
{
    useFiles();
    values["-prnaddr"] = QStringLiteral("127.0.0.1\nfinished");
    values["-prnmodel"] = QStringLiteral("ILS30EP\r\x01");
    SimFolder sim;
    run(options(sim.path()));
    const QStringList lines = log();
    EXPECT_TRUE(lines.contains(QStringLiteral("prnAddr: 127.0.0.1\\nfinished"))) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("prnModel: ILS30EP\\x0D\\x01")));
    EXPECT_EQ(lines.count(QStringLiteral("finished")), lines.last() == QStringLiteral("finished") ? 1 : 0);
}

TEST_F(ChartRun, PathsTheFileSystemCannotSpellAreRefusedBeforeTheSdk)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows hands arguments over as UTF-16: every path decodes, and there is no POSIX shell";
#endif
    useFiles();
    SimFolder sim;
    // QProcess passes arguments as QStrings: the raw bytes need a shell.
    QStringList args = options(sim.path());
    const int at = args.indexOf(QStringLiteral("-tiffoutput"));
    args.removeAt(at + 1);
    args.removeAt(at);
    const int exitCode = run(args << QStringLiteral("-tiffoutput"),
                             QStringLiteral("set -- \"$@\" \"$(printf '%1/c\\351.tif')\";").arg(work.path()));
    EXPECT_EQ(exitCode, 1);
    const QStringList lines = log();
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("Invalid option -tiffoutput ") + work.path()
                                        + QStringLiteral("/c\\xE9.tif: the path is not valid")))
        << lines.join('\n').toStdString();
    EXPECT_TRUE(sim.operations().isEmpty()) << "the SDK was not loaded";
    EXPECT_TRUE(onlyTheInputsAreLeft(work));
}

TEST_F(ChartRun, WhatCanBeCheckedWithoutThePrinterIsCheckedFirst)
{
    struct CheckCase
    {
        const char* option;
        QString value;
        QString refusal;
    };
    const QString missingTarget = work.filePath(QStringLiteral("absent.it8"));
    const QString missingFolder = work.filePath(QStringLiteral("absent"));
    const CheckCase cases[] = {
        {"-it8", missingTarget, "lumetra: the target " + missingTarget + " does not exist"},
        {"-tiffoutput", missingFolder + "/chart.tif",
         "lumetra: the folder " + missingFolder + " of -tiffoutput does not exist"},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.option);
        useFiles();
        values[c.option] = c.value;
        SimFolder sim;
        EXPECT_EQ(run(options(sim.path())), 1);
        EXPECT_EQ(log().last(), c.refusal) << log().join('\n').toStdString();
        EXPECT_TRUE(sim.operations().isEmpty()) << "the SDK was not loaded";
    }
}

TEST_F(ChartRun, OptionsThatDisagreeWithTheTargetAreNamedAndTheRunGoesOn)
{
    useFiles();
    values["-numcolor"] = "6";
    values["-numpatch"] = "99";
    SimFolder sim;
    ASSERT_EQ(run(options(sim.path())), 0);
    const QStringList lines = log();
    EXPECT_EQ(lines.mid(13, 2),
              QStringList({"lumetra: warning: -numcolor 6, but the target provides 4 channels; the chart has 6, the "
                           "last 2 stay empty",
                           "lumetra: warning: -numpatch 99, but the target holds 10 patches; the chart takes the "
                           "target's"}));
    EXPECT_EQ(lines.value(15), "Library Path " + sim.libraryPath());
}

TEST_F(ChartRun, ATargetThatIsNoRegularFileIsRefusedWithoutReadingIt)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no FIFOs";
#else
    const QString fifo = work.filePath(QStringLiteral("target.fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    values["-it8"] = fifo;
    values["-tiffoutput"] = tiff;
    SimFolder sim;
    EXPECT_EQ(run(options(sim.path())), 1);
    const QStringList lines = log();
    EXPECT_EQ(lines.last(), QStringLiteral("lumetra: ") + fifo + QStringLiteral(": not a regular file"))
        << lines.join('\n').toStdString();
    EXPECT_TRUE(sim.operations().isEmpty()) << "the SDK was not loaded";
    EXPECT_FALSE(QFile::exists(tiff));
#endif
}

TEST_F(ChartRun, AnOutputThatIsNoRegularFileIsNeverReplaced)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no FIFOs";
#else
    useFiles();
    ASSERT_EQ(mkfifo(QFile::encodeName(tiff).constData(), 0600), 0);
    SimFolder sim;
    EXPECT_EQ(run(options(sim.path())), 1);
    const QStringList lines = log();
    EXPECT_FALSE(lines.filter(QStringLiteral("not a regular file")).isEmpty()) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("CreateChart failed")));
    struct stat status = {};
    ASSERT_EQ(lstat(QFile::encodeName(tiff).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
#endif
}

TEST_F(ChartRun, ALinkedOutputIsWrittenThrough)
{
#ifdef _WIN32
    GTEST_SKIP() << "QFile::link makes a shortcut on Windows, a file of its own that the file system does not follow";
#endif
    useFiles();
    const QString target = work.filePath(QStringLiteral("charts/real.tif"));
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("charts")));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older chart");
    old.close();
    ASSERT_TRUE(QFile::link(target, tiff));
    SimFolder sim;
    ASSERT_EQ(run(options(sim.path())), 0) << log().join('\n').toStdString();
    EXPECT_TRUE(QFileInfo(tiff).isSymLink());
    CTiffImg chart;
    ASSERT_TRUE(chart.Open(QFile::encodeName(target).constData()));
    EXPECT_EQ(chart.GetHeight(), 566u);
    EXPECT_EQ(QDir(work.filePath(QStringLiteral("charts"))).entryList(QDir::Files), QStringList({"real.tif"}));
}

TEST_F(ChartRun, AFullFileSystemFailsTheRunAndLeavesNoFile)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no private tmpfs mounts and no POSIX shell to make one";
#endif
    // A tiny tmpfs in a private mount namespace holds the chart's folder.
    const QString folder = work.filePath(QStringLiteral("small"));
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("small")));
    values["-it8"] = it8;
    values["-tiffoutput"] = folder + QStringLiteral("/chart.tif");
    values["-patchsizey"] = "40";
    SimFolder sim;
    const int exitCode = run(options(sim.path()),
                             QStringLiteral("exec unshare -m /bin/sh -c 'mount -t tmpfs -o size=16k tmpfs \"%1\" "
                                            "2>/dev/null || exit 77; exec \"$0\" \"$@\"' \"$0\" \"$@\";")
                                 .arg(folder));
    if (exitCode == 77 || exitCode == -1)
        GTEST_SKIP() << "no private tmpfs can be mounted here";
    EXPECT_EQ(exitCode, 1);
    const QStringList lines = log();
    EXPECT_FALSE(lines.filter(QStringLiteral("No space left on device")).isEmpty()) << lines.join('\n').toStdString();
    EXPECT_FALSE(lines.contains(QStringLiteral("finished")));
}

TEST_F(ChartRun, AChartLineThatCannotBeWrittenFailsTheRun)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no file-size limit (ulimit -f) to fail a write with";
#endif
    useFiles();
    values["-patchperrow"] = "8";
    values["-patchsizey"] = "40";
    SimFolder sim;
    // A file size limit lets the TIFF header through but not the lines; lumetra
    // ignores the signal, so the limit is a plain write error.
    EXPECT_EQ(run(options(sim.path()), QStringLiteral("ulimit -f 12;")), 1);
    const QStringList lines = log();
    EXPECT_FALSE(lines.filter(QStringLiteral("could not be written")).isEmpty()) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("CreateChart failed")));
    EXPECT_FALSE(lines.contains(QStringLiteral("finished")));
    EXPECT_TRUE(onlyTheInputsAreLeft(work)) << QDir(work.path()).entryList(QDir::Files).join(' ').toStdString();
    EXPECT_EQ(sim.operations().last(), QStringLiteral("LoadLibraryTerminate"));
}

TEST_F(ChartRun, SharedTargetsGiveTheirChartOrAClearRefusal)
{
    const QString sevenInks = QStringLiteral("jungleCcc_CMYKOGV_i1Pro3iO_XGAMUNT.txt");
    const QString tooManySets = QStringLiteral("hamzafer_APTEC_CMYKOGV_7clr_xyzlab.txt");
    SKIP_WITHOUT_SHARED_TARGETS(sevenInks, tooManySets);
    values["-tiffoutput"] = tiff;
    values["-patchperrow"] = "84";
    values["-patchsizex"] = "3";
    values["-patchsizey"] = "3";
    values["-papersizex"] = "1000";
    values["-numcolor"] = "7";
    SimFolder sim;

    // Seven inks named 7CLR_1 ... 7CLR_7, a header time and digit-led names.
    values["-it8"] = sharedTarget(sevenInks);
    ASSERT_EQ(run(options(sim.path())), 0) << log().join('\n').toStdString();
    EXPECT_TRUE(log().contains(QStringLiteral("TotalPatchcount=3024 PatchesPerRow=84 ColorTableSize21168")));
    CTiffImg chart;
    ASSERT_TRUE(chart.Open(QFile::encodeName(tiff).constData()));
    EXPECT_EQ(chart.GetSamples(), 7u);
    chart.Close();

    // More sets than the header declares: no chart, and the reason in the log.
    QFile::remove(tiff);
    values["-it8"] = sharedTarget(tooManySets);
    SimFolder untouched;
    EXPECT_EQ(run(options(untouched.path())), 1);
    EXPECT_EQ(log().last(), QStringLiteral("lumetra: ") + values["-it8"]
                                + QStringLiteral(": the data holds 3534 complete sets, NUMBER_OF_SETS declares 1624"));
    EXPECT_FALSE(QFile::exists(tiff));
    EXPECT_TRUE(untouched.operations().isEmpty()) << "the SDK was not loaded";
}

} // namespace
