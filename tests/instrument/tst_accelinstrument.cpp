#include "accelinstrument.h"
#include "accelmeasparams_st.h"
#include "driversetup.h"
#include "simfolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaMethod>
#include <QMutex>
#include <QTimer>

namespace {

// Collects the driver's log lines from whichever thread emits them.
class LogCollector
{
public:
    explicit LogCollector(accelInstrument& instrument)
    {
        QObject::connect(&instrument, &accelInstrument::addLogLine, &instrument,
                         [this](const QString& line, int) {
                             QMutexLocker lock(&m_mutex);
                             m_lines << line;
                         },
                         Qt::DirectConnection);
    }

    QStringList lines() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines;
    }

private:
    mutable QMutex m_mutex;
    QStringList m_lines;
};

// Waits for endCreateTiff, which arrives queued; false after the time-out.
bool waitForChartEnd(accelInstrument& instrument, int timeoutMs = 20000)
{
    QEventLoop loop;
    bool ended = false;
    QObject::connect(&instrument, &accelInstrument::endCreateTiff, &loop, [&] {
        ended = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return ended;
}

QStringList inkFields(int channels)
{
    const QStringList all = {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K", "CMYK_A", "CMYK_B", "CMYK_D", "CMYK_E"};
    return all.mid(0, qMax(4, channels));
}

QString inkModelFor(int channels)
{
    switch (channels) {
    case 6:
        return QStringLiteral("CMYKcm");
    case 7:
        return QStringLiteral("CMYKcmk");
    case 8:
        return QStringLiteral("CMYKcmkn");
    default:
        return QStringLiteral("CMYK");
    }
}

// ---- meta-object and property side -------------------------------------------------------

TEST(AccelInstrumentMetaObject, MethodsInTheirFixedOrder)
{
    struct Entry
    {
        const char* signature;
        QMetaMethod::MethodType type;
        QMetaMethod::Access access;
        QList<QByteArray> names;
    };
    const Entry expected[] = {
        {"addLogLine(QString,int)", QMetaMethod::Signal, QMetaMethod::Public, {"logLine", "debuglevel"}},
        {"addLogLine(QString)", QMetaMethod::Signal, QMetaMethod::Public, {"logLine"}},
        {"pageEndSignal(bool)", QMetaMethod::Signal, QMetaMethod::Public, {"res"}},
        {"measureProgr(QString,int)", QMetaMethod::Signal, QMetaMethod::Public, {"progrStr", "progrtype"}},
        {"MeasureDataSignal(QString)", QMetaMethod::Signal, QMetaMethod::Public, {"file"}},
        {"endCreateTiff()", QMetaMethod::Signal, QMetaMethod::Public, {}},
        {"pageEndSlot(bool,int)", QMetaMethod::Slot, QMetaMethod::Private, {"resp", "page"}},
        {"pageMeasureProgrSlot(QString,int)", QMetaMethod::Slot, QMetaMethod::Private, {"progrStr", "progrtype"}},
        {"doPageEndSlot()", QMetaMethod::Slot, QMetaMethod::Private, {}},
    };
    const QMetaObject& meta = accelInstrument::staticMetaObject;
    EXPECT_STREQ(meta.className(), "accelInstrument");
    EXPECT_EQ(meta.superClass(), &QObject::staticMetaObject);
    ASSERT_EQ(meta.methodCount() - meta.methodOffset(), int(std::size(expected)));
    EXPECT_EQ(meta.propertyCount() - meta.propertyOffset(), 0);
    EXPECT_EQ(meta.enumeratorCount() - meta.enumeratorOffset(), 0);
    EXPECT_EQ(meta.classInfoCount(), 0);
    for (int i = 0; i < int(std::size(expected)); ++i) {
        const QMetaMethod method = meta.method(meta.methodOffset() + i);
        EXPECT_EQ(method.methodSignature(), QByteArray(expected[i].signature)) << i;
        EXPECT_EQ(method.methodType(), expected[i].type) << i;
        EXPECT_EQ(method.access(), expected[i].access) << i;
        EXPECT_EQ(method.parameterNames(), expected[i].names) << i;
        EXPECT_EQ(method.returnType(), QMetaType::Void) << i;
    }
    EXPECT_TRUE(meta.method(meta.methodOffset() + 1).attributes() & QMetaMethod::Cloned);
}

TEST(AccelInstrumentMetaObject, CastsByNameToTheInterfaces)
{
    accelInstrument instrument(QStringLiteral("/nowhere"));
    DevProperty* property = &instrument;
    EXPECT_EQ(instrument.qt_metacast("accelInstrument"), static_cast<void*>(&instrument));
    EXPECT_EQ(instrument.qt_metacast("DevProperty"), static_cast<void*>(property));
    EXPECT_NE(static_cast<void*>(property), static_cast<void*>(&instrument));
    EXPECT_EQ(instrument.qt_metacast("QObject"), static_cast<void*>(static_cast<QObject*>(&instrument)));
    EXPECT_EQ(instrument.qt_metacast("NoSuchInterface"), nullptr);
}

TEST(AccelInstrumentMetaObject, OneArgumentReceiverGetsEveryLevel)
{
    accelInstrument instrument(QStringLiteral("/nowhere"));
    QStringList received;
    QObject receiver;
    QObject::connect(&instrument, SIGNAL(addLogLine(const QString&)), &receiver, SLOT(deleteLater()));
    QObject::connect(&instrument, qOverload<const QString&, int>(&accelInstrument::addLogLine), &receiver,
                     [&](const QString& line, int) { received << line; });
    emit instrument.addLogLine(QStringLiteral("first"), 7);
    emit instrument.addLogLine(QStringLiteral("second"));
    instrument.writeToLog(QStringLiteral("third"));
    EXPECT_EQ(received, QStringList({"first", "second", "third"}));
}

TEST(AccelInstrumentProperty, WritesConnectionOnlyInFullRecords)
{
    accelInstrument instrument(QStringLiteral("/nowhere"));
    PropertyMap values;
    instrument.toMap(values, eSaveValues);
    EXPECT_TRUE(values.isEmpty());
    PropertyMap full;
    instrument.toMap(full, eSaveFullRecords);
    ASSERT_TRUE(full.contains(QStringLiteral("accelIsConnected")));
    EXPECT_EQ(DevProperty::GetValueFromMap(full, QStringLiteral("accelIsConnected"), true).toBool(), false);
    EXPECT_EQ(instrument.getClass(), QStringLiteral("accelInstrument_st"));
    PropertyMap out;
    EXPECT_FALSE(instrument.checkDataCoherence(full, out));
    EXPECT_TRUE(out.isEmpty());
}

// ---- loading and connection --------------------------------------------------------------

TEST(AccelInstrumentLoading, MissingLibraryIsReportedAndNothingElseHappens)
{
    QTemporaryDir empty;
    accelInstrument instrument(empty.path());
    LogCollector log(instrument);
    EXPECT_FALSE(instrument.checkAccelConnession());
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_FALSE(instrument.InitInstrument(3, QStringLiteral("127.0.0.1"), QStringLiteral("ILS30EP")));
    const QString library = empty.filePath(QStringLiteral("libACCEL.so"));
    EXPECT_EQ(log.lines(), QStringList({"Library Path " + library, "Accel Dll Does not exists",
                                        "ACCEL: can't Load Library " + library}));
    EXPECT_FALSE(instrument.isInitialized());
    EXPECT_FALSE(instrument.AccelStart(2, QString(), QString()));
    EXPECT_FALSE(instrument.GenerateTiff());
    instrument.cleanupACCEL();
    EXPECT_FALSE(instrument.isInitialized());
}

TEST(AccelInstrumentLoading, SuccessfulSetUpLogsItsSteps)
{
    SimFolder sim;
    ASSERT_TRUE(sim.isValid());
    accelInstrument instrument(sim.path());
    LogCollector log(instrument);
    setSinglePageJob(instrument, QString(), PageSetup());
    ASSERT_TRUE(bringUp(instrument));
    EXPECT_TRUE(instrument.getIsConnected());
    EXPECT_EQ(log.lines(), QStringList({"Library Path " + sim.filePath("libACCEL.so"),
                                        "ACCEL Instrument Inizialized: " + sim.path(),
                                        "ACCEL fw ver.:ACCEL simulator ILS30EP firmware 1.0 chart type.:2"}));
    instrument.cleanupACCEL();
    EXPECT_FALSE(instrument.isInitialized());
    EXPECT_TRUE(instrument.getIsConnected()) << "kept after clean-up";
    EXPECT_EQ(sim.operations().mid(sim.operations().size() - 5),
              QStringList({"AbortDoc", "DeleteDoc", "Close", "Terminate", "LoadLibraryTerminate"}));
}

struct ConnectionCase
{
    int type;
    const char* address;
    int code;
};

class AccelInstrumentConnectionCode : public ::testing::TestWithParam<ConnectionCase>
{
};

TEST_P(AccelInstrumentConnectionCode, FollowsTheTypeAndAddress)
{
    SimFolder sim;
    accelInstrument instrument(sim.path());
    ASSERT_TRUE(instrument.InitInstrument(GetParam().type, GetParam().address, QStringLiteral("ILS30EP")));
    instrument.checkAccelConnession();
    EXPECT_TRUE(sim.call("Open").startsWith(QStringLiteral("Open(h=1, code=%1,").arg(GetParam().code)))
        << sim.call("Open").toStdString();
    instrument.cleanupACCEL();
}

INSTANTIATE_TEST_SUITE_P(Table, AccelInstrumentConnectionCode,
                         ::testing::Values(ConnectionCase{4, "10.0.0.1", 1}, ConnectionCase{4, "usb0", 1},
                                           ConnectionCase{7, "USB001", 0}, ConnectionCase{7, "usb", 0},
                                           ConnectionCase{7, "10.0.0.1", 4}, ConnectionCase{3, "usb0", 4},
                                           ConnectionCase{6, "127.0.0.1", 4}, ConnectionCase{0, "x", 4}));

struct VersionCase
{
    const char* version;
    int chartType;
};

class AccelInstrumentChartType : public ::testing::TestWithParam<VersionCase>
{
};

TEST_P(AccelInstrumentChartType, ComesFromTheVersionText)
{
    SimFolder sim(QStringLiteral("version = %1").arg(GetParam().version));
    accelInstrument instrument(sim.path());
    LogCollector log(instrument);
    ASSERT_TRUE(instrument.InitInstrument(3, QStringLiteral("127.0.0.1"), QStringLiteral("ILS30EP")));
    ASSERT_TRUE(instrument.checkAccelConnession());
    EXPECT_EQ(instrument.getChartType(), GetParam().chartType);
    EXPECT_EQ(log.lines().last(),
              QStringLiteral("ACCEL fw ver.:%1 chart type.:%2").arg(GetParam().version).arg(GetParam().chartType));
    instrument.cleanupACCEL();
}

INSTANTIATE_TEST_SUITE_P(Table, AccelInstrumentChartType,
                         ::testing::Values(VersionCase{"ILS20EP 1.2", 1}, VersionCase{"fw ILS20EP", 1},
                                           VersionCase{"ILS30EP 2.0", 2}, VersionCase{"ils20ep 1.0", 2},
                                           VersionCase{"unknown", 2}));

TEST(AccelInstrumentConnection, NoInstrumentAnsweringIsFatal)
{
    SimFolder sim(QStringLiteral("fail.GetConnectionInfo = 0x77"));
    accelInstrument instrument(sim.path());
    LogCollector log(instrument);
    ASSERT_TRUE(instrument.InitInstrument(3, QStringLiteral("127.0.0.1"), QStringLiteral("ILS30EP")));
    EXPECT_FALSE(instrument.checkAccelConnession());
    EXPECT_EQ(log.lines().last(), QStringLiteral("ACCEL: isAccelConnected ACCEL_FATAL_ERROR"));
    EXPECT_TRUE(sim.operations().contains(QStringLiteral("Close")));
    instrument.cleanupACCEL();
}

TEST(AccelInstrumentConnection, TextsTooLongForTheFixedFieldsAreRefused)
{
    SimFolder sim;
    accelInstrument instrument(sim.path());
    LogCollector log(instrument);
    const QString longAddress(254, QLatin1Char('a'));
    ASSERT_TRUE(instrument.InitInstrument(3, longAddress, QStringLiteral("ILS30EP")));
    EXPECT_FALSE(instrument.checkAccelConnession());
    EXPECT_TRUE(log.lines().last().contains(QLatin1String("printer address"))) << log.lines().last().toStdString();
    EXPECT_FALSE(sim.operations().contains(QStringLiteral("Open")));
    instrument.cleanupACCEL();

    accelInstrument fits(sim.path());
    ASSERT_TRUE(fits.InitInstrument(3, QString(253, QLatin1Char('a')), QStringLiteral("ILS30EP")));
    EXPECT_TRUE(fits.checkAccelConnession());
    fits.cleanupACCEL();
}

// ---- print document ----------------------------------------------------------------------

struct DocModeCase
{
    int mode;
    const char* modes;
};

class AccelInstrumentDocRecord : public ::testing::TestWithParam<DocModeCase>
{
};

TEST_P(AccelInstrumentDocRecord, CarriesPageSizeAndModeFields)
{
    SimFolder sim;
    accelInstrument instrument(sim.path());
    setSinglePageJob(instrument, QString(), PageSetup());
    ASSERT_TRUE(bringUp(instrument, 3, QStringLiteral("127.0.0.1"), GetParam().mode));
    EXPECT_EQ(sim.call("StartDoc"),
              QStringLiteral("StartDoc(h=1, doc=1, record{doc=1, page=32000x45000, media=32000x45000, modes=%1}) = 0")
                  .arg(GetParam().modes));
    EXPECT_EQ(sim.call("SetApplicationName"), QStringLiteral("SetApplicationName(h=1, doc=1, text=\"Quorastelian\") = 0"));
    instrument.cleanupACCEL();
}

INSTANTIATE_TEST_SUITE_P(Modes, AccelInstrumentDocRecord,
                         ::testing::Values(DocModeCase{0, "1,1,0"}, DocModeCase{1, "1,1,1"}, DocModeCase{2, "1,0,0"},
                                           DocModeCase{3, "0,0,0"}, DocModeCase{-1, "0,0,0"}));

TEST(AccelInstrumentDocument, LabelsNeedContentAndAnOpenDocument)
{
    accelInstrument closed(QStringLiteral("/nowhere"));
    EXPECT_EQ(closed.PrintLabel(QByteArray()), accelInstrument::LabelFailed);
    EXPECT_EQ(closed.PrintLabel(QByteArray("label")), accelInstrument::LabelFailed);

    SimFolder sim;
    accelInstrument instrument(sim.path());
    setSinglePageJob(instrument, QString(), PageSetup());
    ASSERT_TRUE(bringUp(instrument));
    const int before = sim.calls().size();
    EXPECT_EQ(instrument.PrintLabel(QByteArray()), accelInstrument::LabelFailed);
    EXPECT_EQ(sim.calls().size(), before) << "an empty label calls nothing";
    EXPECT_EQ(instrument.PrintLabel(QByteArray("Job 12")), 0u);
    EXPECT_EQ(sim.operations().mid(before), QStringList({"SetLabelOffset", "Write", "EndLabel"}));
    instrument.cleanupACCEL();
}

// ---- chart -------------------------------------------------------------------------------

class AccelInstrumentChart : public ::testing::Test
{
protected:
    QString target(int channels, int sets, const QString& extraHeader = QString())
    {
        return writeTarget(work.filePath(QStringLiteral("target.it8")), inkModelFor(channels), inkFields(channels),
                           sets, extraHeader);
    }

    QTemporaryDir work;
};

TEST_F(AccelInstrumentChart, WorkedExampleRecordAndLog)
{
    SimFolder sim;
    accelInstrument instrument(sim.path());
    LogCollector log(instrument);
    const QString it8 = target(4, 10);
    setSinglePageJob(instrument, it8, PageSetup{4, 10, 8, 4, 320, 450});
    instrument.setTiffPath(work.filePath(QStringLiteral("chart.tif")));
    ASSERT_TRUE(bringUp(instrument));
    ASSERT_TRUE(instrument.GenerateTiff());
    ASSERT_TRUE(waitForChartEnd(instrument));
    EXPECT_TRUE(sim.call("CreateChart").startsWith(QStringLiteral(
        "CreateChart(h=1, doc=1, record{channels=4, code=3, patches=12/4, patch=1000x800, chart=8500x8000, "
        "dpi=180x180, type=2}, a=0, b=0) = 0")))
        << sim.call("CreateChart").toStdString();
    EXPECT_EQ(instrument.params().getPage(0)->getTotalPatchCount(), 12);
    const QStringList lines = log.lines().mid(3);
    EXPECT_EQ(lines, QStringList({"Building color table from " + it8, "Colortable built.",
                                  "TotalPatchcount=12 PatchesPerRow=4 ColorTableSize48",
                                  "Creating TIFF - width=602 height=566 resX=180 resY=180", "closing tiff",
                                  "TIFF generation successfully created"}));
    EXPECT_TRUE(QFile::exists(work.filePath(QStringLiteral("chart.tif"))));
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("chart.tif.part"))));
    instrument.cleanupACCEL();
}

TEST_F(AccelInstrumentChart, OneChartPerInstrument)
{
    SimFolder sim;
    accelInstrument instrument(sim.path());
    setSinglePageJob(instrument, target(4, 8), PageSetup{4, 10, 8, 4, 320, 450});
    instrument.setTiffPath(work.filePath(QStringLiteral("first.tif")));
    ASSERT_TRUE(bringUp(instrument));
    ASSERT_TRUE(instrument.GenerateTiff());
    int ends = 0;
    QObject::connect(&instrument, &accelInstrument::endCreateTiff, [&] { ++ends; });
    QCoreApplication::processEvents();
    EXPECT_EQ(ends, 1);

    instrument.setTiffPath(work.filePath(QStringLiteral("second.tif")));
    EXPECT_FALSE(instrument.GenerateTiff());
    QCoreApplication::processEvents();
    EXPECT_EQ(ends, 1) << "no second end of chart";
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("second.tif"))));
    EXPECT_TRUE(sim.calls().filter(QStringLiteral("CreateChart(")).last().contains(QStringLiteral("= 0x800002")));
    instrument.cleanupACCEL();
}

TEST_F(AccelInstrumentChart, MissingTargetCallsNoSdk)
{
    SimFolder sim;
    accelInstrument instrument(sim.path());
    LogCollector log(instrument);
    setSinglePageJob(instrument, work.filePath(QStringLiteral("absent.it8")), PageSetup());
    ASSERT_TRUE(bringUp(instrument));
    const QStringList before = log.lines();
    EXPECT_FALSE(instrument.GenerateTiff());
    EXPECT_EQ(log.lines().mid(before.size()),
              QStringList({"ACCEL: Color table missing. Try again specifying a valid it8 file"}));
    EXPECT_FALSE(sim.operations().contains(QStringLiteral("CreateChart")));
    instrument.cleanupACCEL();
}

TEST_F(AccelInstrumentChart, UnreadableTargetIsReportedWithItsReasonAndCallsNoSdk)
{
    struct TargetCase
    {
        QByteArray text;
        QString reason;
    };
    const TargetCase cases[] = {
        {"this is no target\n", ": no data section (BEGIN_DATA ... END_DATA)"},
        {"NUMBER_OF_SETS 2\nBEGIN_DATA_FORMAT\nSAMPLE_ID CMYK_C CMYK_M CMYK_Y CMYK_K\nEND_DATA_FORMAT\n"
         "BEGIN_DATA\nA1 0 0 0 0\nA2 0 0 0\nEND_DATA\n",
         ": the data holds 1 complete sets and 4 values more, NUMBER_OF_SETS declares 2; line 7 holds 4 values for 5 "
         "fields"},
    };
    for (const TargetCase& c : cases) {
        SCOPED_TRACE(c.text.constData());
        SimFolder sim;
        accelInstrument instrument(sim.path());
        LogCollector log(instrument);
        QFile target(work.filePath(QStringLiteral("damaged.it8")));
        ASSERT_TRUE(target.open(QIODevice::WriteOnly | QIODevice::Truncate));
        target.write(c.text);
        target.close();
        setSinglePageJob(instrument, target.fileName(), PageSetup());
        ASSERT_TRUE(bringUp(instrument));
        EXPECT_FALSE(instrument.GenerateTiff());
        EXPECT_EQ(log.lines().mid(log.lines().size() - 3),
                  QStringList({"Could not generate the color table from the it8 file.", target.fileName() + c.reason,
                               "ACCEL: Color table missing. Try again specifying a valid it8 file"}));
        EXPECT_FALSE(sim.operations().contains(QStringLiteral("CreateChart")));
        instrument.cleanupACCEL();
    }
}

TEST_F(AccelInstrumentChart, NegativeRowLengthComesFromTheTargetForTheWholeChart)
{
    SimFolder sim;
    accelInstrument instrument(sim.path());
    setSinglePageJob(instrument, target(4, 10, QStringLiteral("LGOROWLENGTH 5")), PageSetup{-1, 10, 8, 4, 320, 450});
    instrument.setTiffPath(work.filePath(QStringLiteral("chart.tif")));
    ASSERT_TRUE(bringUp(instrument));
    ASSERT_TRUE(instrument.GenerateTiff());
    // 10 patches in rows of 5: 2 rows, chart 10 x 5 + 45.4 mm wide, 8 x 2 + 56 mm high.
    EXPECT_TRUE(sim.call("CreateChart").contains(QStringLiteral("patches=10/5, patch=1000x800, chart=9500x7200")))
        << sim.call("CreateChart").toStdString();
    instrument.cleanupACCEL();
}

TEST_F(AccelInstrumentChart, SdkRefusalEndsWithoutAFile)
{
    SimFolder sim(QStringLiteral("fail.CreateChart = 0x99"));
    accelInstrument instrument(sim.path());
    LogCollector log(instrument);
    setSinglePageJob(instrument, target(4, 8), PageSetup());
    instrument.setTiffPath(work.filePath(QStringLiteral("chart.tif")));
    ASSERT_TRUE(bringUp(instrument));
    EXPECT_FALSE(instrument.GenerateTiff());
    EXPECT_EQ(log.lines().last(), QStringLiteral("CreateChart failed"));
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("chart.tif"))));
    instrument.cleanupACCEL();
}

TEST_F(AccelInstrumentChart, UncreatableFileIsRefusedByTheBeginCallback)
{
    SimFolder sim;
    accelInstrument instrument(sim.path());
    setSinglePageJob(instrument, target(4, 8), PageSetup());
    instrument.setTiffPath(work.filePath(QStringLiteral("no/such/folder/chart.tif")));
    ASSERT_TRUE(bringUp(instrument));
    EXPECT_FALSE(instrument.GenerateTiff());
    EXPECT_TRUE(sim.call("CreateChart").contains(QStringLiteral("= 0x800002"))) << sim.call("CreateChart").toStdString();
    instrument.cleanupACCEL();
}

} // namespace
