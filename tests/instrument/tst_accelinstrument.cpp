#include "accelinstrument.h"
#include "accelmeasparams_st.h"
#include "csdklibrary.h"
#include "recordbytes.h"
#include "driversetup.h"
#include "simfolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
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

// Makes a folder the current directory for as long as it lives.
class CurrentDirectory
{
public:
    explicit CurrentDirectory(const QString& path)
        : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(path);
    }
    ~CurrentDirectory() { QDir::setCurrent(m_previous); }

    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    QString m_previous;
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

TEST(AccelInstrumentLoading, WithoutTheSdkNothingElseHappensAndEachRefusalSaysWhy)
{
    QTemporaryDir empty;
    accelInstrument instrument(empty.path());
    LogCollector log(instrument);
    EXPECT_TRUE(instrument.errorString().isEmpty());
    EXPECT_FALSE(instrument.checkAccelConnession());
    EXPECT_TRUE(log.lines().isEmpty());
    const QString uninitialised = QStringLiteral("the ACCEL SDK is not initialised");
    EXPECT_EQ(instrument.errorString(), uninitialised);
    EXPECT_FALSE(instrument.InitInstrument(3, QStringLiteral("127.0.0.1"), QStringLiteral("ILS30EP")));
    EXPECT_TRUE(instrument.errorString().startsWith(QStringLiteral("the ACCEL SDK could not be loaded from ")))
        << instrument.errorString().toStdString();
    EXPECT_FALSE(instrument.isInitialized());
    EXPECT_FALSE(instrument.AccelStart(2, QString(), QString()));
    EXPECT_EQ(instrument.errorString(), uninitialised);
    EXPECT_FALSE(instrument.GenerateTiff());
    EXPECT_EQ(instrument.errorString(), QStringLiteral("no it8 file is given for page 0"));
    EXPECT_EQ(instrument.PrintLabel(QByteArray("label")), accelInstrument::LabelFailed);
    EXPECT_EQ(instrument.errorString(), uninitialised);
    instrument.cleanupACCEL();
    EXPECT_FALSE(instrument.isInitialized());
}

QString textLibrary()
{
    return QStringLiteral("text/") + CSdkLibrary::libraryFileName();
}

struct LoadFailureCase
{
    const char* name;
    // Below the work folder, which holds "empty/", "text/<the SDK's file name>" and "text/notes.txt", both plain text.
    QString folder;
    // <lib> stands for the library path, <work> for the work folder, <loader> for the loader's message.
    QStringList log;
    QString reason;
};

class AccelInstrumentLoadFailure : public ::testing::TestWithParam<LoadFailureCase>
{
};

TEST_P(AccelInstrumentLoadFailure, LogsWhatTheLoaderSaysAndKeepsTheReason)
{
    const LoadFailureCase& c = GetParam();
    QTemporaryDir work;
    const QDir dir(work.path());
    ASSERT_TRUE(dir.mkpath(QStringLiteral("empty")) && dir.mkpath(QStringLiteral("text")));
    for (const QString& name : {textLibrary(), QStringLiteral("text/notes.txt")}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("this is no shared object\n");
    }
    const QString folder = dir.filePath(c.folder);
    const QString library = CSdkLibrary::libraryPath(folder);
    CSdkLibrary loader;
    ASSERT_FALSE(loader.load(library));
    const QString message = loader.errorText();
    ASSERT_FALSE(message.isEmpty());
    const auto filled = [&](QString text) {
        return text.replace(QLatin1String("<lib>"), library)
            .replace(QLatin1String("<work>"), QDir::toNativeSeparators(work.path()))
            .replace(QLatin1String("<loader>"), message);
    };

    accelInstrument instrument(folder);
    LogCollector log(instrument);
    EXPECT_FALSE(instrument.InitInstrument(3, QStringLiteral("127.0.0.1"), QStringLiteral("ILS30EP")));
    QStringList expected;
    for (const QString& line : c.log)
        expected << filled(line);
    EXPECT_EQ(log.lines(), expected);
    EXPECT_EQ(instrument.errorString(), filled(c.reason));
    EXPECT_FALSE(instrument.isInitialized());
    instrument.cleanupACCEL();
}

const QStringList libraryMissing = {"Library Path <lib>", "Accel Dll Does not exists",
                                    "ACCEL: can't Load Library <lib>", "ACCEL: <loader>"};
const QString notLoaded = QStringLiteral("the ACCEL SDK could not be loaded from <lib>: <loader>");
// Both paths in the system's own spelling.
const QString libraryAsFolder = QDir::toNativeSeparators("<work>/" + textLibrary()) +
                                " is the SDK library itself; give the folder that holds it: " +
                                QDir::toNativeSeparators("<work>/text");

INSTANTIATE_TEST_SUITE_P(
    Table, AccelInstrumentLoadFailure,
    ::testing::Values(
        LoadFailureCase{"missingFolder", "missing", libraryMissing, notLoaded},
        LoadFailureCase{"folderWithoutTheLibrary", "empty", libraryMissing, notLoaded},
        LoadFailureCase{"libraryGivenAsTheFolder", textLibrary(),
                        {"Library Path <lib>", "Accel Dll Does not exists", "ACCEL: " + libraryAsFolder,
                         "ACCEL: can't Load Library <lib>", "ACCEL: <loader>"},
                        libraryAsFolder},
        LoadFailureCase{"otherFileGivenAsTheFolder", "text/notes.txt", libraryMissing, notLoaded},
        LoadFailureCase{"notASharedObject", "text",
                        {"Library Path <lib>", "ACCEL: can't Load Library <lib>", "ACCEL: <loader>"}, notLoaded}),
    [](const ::testing::TestParamInfo<LoadFailureCase>& info) { return std::string(info.param.name); });

TEST(AccelInstrumentLoading, SuccessfulSetUpLogsItsSteps)
{
    SimFolder sim;
    ASSERT_TRUE(sim.isValid());
    accelInstrument instrument(sim.path());
    LogCollector log(instrument);
    setSinglePageJob(instrument, QString(), PageSetup());
    ASSERT_TRUE(bringUp(instrument));
    EXPECT_TRUE(instrument.getIsConnected());
    EXPECT_TRUE(instrument.errorString().isEmpty()) << instrument.errorString().toStdString();
    EXPECT_EQ(log.lines(), QStringList({"Library Path " + sim.libraryPath(),
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

struct ArgumentCase
{
    const char* operation;
    // Every traced call of the operation; <sim> stands for the SDK folder, <temp> for the temporary folder.
    QStringList calls;
};

class AccelInstrumentSdkArguments : public ::testing::TestWithParam<ArgumentCase>
{
};

// Texts go to the SDK with their own lengths: a length too long reads bytes past the text.
TEST_P(AccelInstrumentSdkArguments, TextsWithTheirOwnLengths)
{
    SimFolder sim;
    accelInstrument instrument(sim.path());
    setSinglePageJob(instrument, QString(), PageSetup());
    ASSERT_TRUE(bringUp(instrument, 3, QStringLiteral("10.0.0.7")));
    instrument.cleanupACCEL();
    // The simulator's folder lies inside the temporary one, so the two lengths differ.
    ASSERT_NE(sim.path().size(), QDir::tempPath().size());
    QStringList expected;
    for (QString line : GetParam().calls)
        expected << line.replace(QLatin1String("<sim>"), sim.path()).replace(QLatin1String("<temp>"), QDir::tempPath());
    const QString prefix = QLatin1String(GetParam().operation) + QLatin1Char('(');
    QStringList calls;
    for (const QString& line : sim.calls()) {
        if (line.startsWith(prefix))
            calls << line;
    }
    EXPECT_EQ(calls, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AccelInstrumentSdkArguments,
    ::testing::Values(
        ArgumentCase{"LoadLibraryInitialize",
                     {"LoadLibraryInitialize(flags=256, sdkFolder=\"<sim>\", tempFolder=\"<temp>\", reserved=0, "
                      "reserved2=null) = 0"}},
        ArgumentCase{"SetPrinter", {"SetPrinter(h=1, model=\"ILS30EP\") = 0"}},
        ArgumentCase{"Open",
                     {"Open(h=1, code=4, address=\"10.0.0.7\") = 0", "Open(h=1, code=4, address=\"10.0.0.7\") = 0"}},
        ArgumentCase{"SetApplicationName", {"SetApplicationName(h=1, doc=1, text=\"Quorastelian\") = 0"}},
        ArgumentCase{"SetPlatformName", {"SetPlatformName(h=1, doc=1, text=\"Windows\") = 0"}}),
    [](const ::testing::TestParamInfo<ArgumentCase>& info) { return std::string(info.param.operation); });

// ---- print document ----------------------------------------------------------------------

struct DocModeCase
{
    int mode;
    int32_t a, b, c;
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
    const DocModeCase& c = GetParam();
    EXPECT_EQ(sim.call("StartDoc"),
              QStringLiteral("StartDoc(h=1, doc=1, record{doc=1, page=32000x45000, media=32000x45000, modes=%1,%2,%3}) = 0")
                  .arg(c.a)
                  .arg(c.b)
                  .arg(c.c));
    EXPECT_EQ(sim.call("SetApplicationName"), QStringLiteral("SetApplicationName(h=1, doc=1, text=\"Quorastelian\") = 0"));
    instrument.cleanupACCEL();
}

TEST_P(AccelInstrumentDocRecord, HoldsEveryFieldAtItsByteOffset)
{
    SimFolder sim;
    accelInstrument instrument(sim.path());
    setSinglePageJob(instrument, QString(), PageSetup());
    ASSERT_TRUE(bringUp(instrument, 3, QStringLiteral("127.0.0.1"), GetParam().mode));
    instrument.cleanupACCEL();
    const DocModeCase& c = GetParam();
    const QByteArray expected = expectedDocRecord({1, 32000, 45000, c.a, c.b, c.c});
    const QByteArray given = sim.startDocRecord();
    EXPECT_EQ(given, expected) << recordDifferences(given, expected).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Modes, AccelInstrumentDocRecord,
                         ::testing::Values(DocModeCase{0, 1, 1, 0}, DocModeCase{1, 1, 1, 1}, DocModeCase{2, 1, 0, 0},
                                           DocModeCase{3, 0, 0, 0}, DocModeCase{-1, 0, 0, 0}),
                         [](const ::testing::TestParamInfo<DocModeCase>& info) {
                             const int mode = info.param.mode;
                             return (mode < 0 ? "modeMinus" : "mode") + std::to_string(std::abs(mode));
                         });

struct DocumentEndCase
{
    const char* name;
    const char* scenario;
    // The SDK calls from EndDoc on, clean-up included.
    QStringList calls;
};

class AccelInstrumentDocumentEnd : public ::testing::TestWithParam<DocumentEndCase>
{
};

// A document deleted is gone: clean-up must not abort or delete it again.
TEST_P(AccelInstrumentDocumentEnd, CleanUpReleasesOnlyWhatIsLeft)
{
    SimFolder sim(QString::fromLatin1(GetParam().scenario));
    accelInstrument instrument(sim.path());
    setSinglePageJob(instrument, QString(), PageSetup());
    ASSERT_TRUE(bringUp(instrument));
    instrument.doEndDoc();
    instrument.cleanupACCEL();
    const QStringList calls = sim.calls();
    int first = 0;
    while (first < calls.size() && !calls.at(first).startsWith(QLatin1String("EndDoc(")))
        ++first;
    EXPECT_EQ(calls.mid(first), GetParam().calls);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AccelInstrumentDocumentEnd,
    ::testing::Values(
        DocumentEndCase{"deleted", "",
                        {"EndDoc(h=1, doc=1) = 0", "DeleteDoc(h=1, doc=1) = 0", "Close(h=1) = 0",
                         "Terminate(h=1, flags=0) = 0", "LoadLibraryTerminate(flags=0) = 0"}},
        // The document the SDK kept is still there to be released.
        DocumentEndCase{"deleteRefused", "fail.DeleteDoc = 0x5 @1",
                        {"EndDoc(h=1, doc=1) = 0", "DeleteDoc(h=1, doc=1) = 0x5 (scenario fault)",
                         "AbortDoc(h=1, doc=1) = 0xa0000004 (document not started, or already ended)",
                         "DeleteDoc(h=1, doc=1) = 0", "Close(h=1) = 0", "Terminate(h=1, flags=0) = 0",
                         "LoadLibraryTerminate(flags=0) = 0"}}),
    [](const ::testing::TestParamInfo<DocumentEndCase>& info) { return std::string(info.param.name); });

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
    EXPECT_TRUE(instrument.errorString().isEmpty()) << instrument.errorString().toStdString();
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

struct MissingTargetCase
{
    const char* name;
    // Relative to the work folder, the current directory; <work> stands for that folder.
    QString it8;
    QString line;
};

class AccelInstrumentMissingTarget : public ::testing::TestWithParam<MissingTargetCase>
{
};

TEST_P(AccelInstrumentMissingTarget, IsNamedInFullAndCallsNoSdk)
{
    // The simulator is copied first: under Wine the build's paths carry no drive letter and
    // stand for the current folder's drive, which the work folder changes.
    SimFolder sim;
    QTemporaryDir work;
    const CurrentDirectory current(work.path());
    const auto filled = [](QString text) { return text.replace(QLatin1String("<work>"), QDir::currentPath()); };
    accelInstrument instrument(sim.path());
    LogCollector log(instrument);
    setSinglePageJob(instrument, filled(GetParam().it8), PageSetup());
    ASSERT_TRUE(bringUp(instrument)) << log.lines().join(QLatin1Char('\n')).toStdString();
    const QStringList before = log.lines();
    EXPECT_FALSE(instrument.GenerateTiff());
    const QString line = filled(GetParam().line);
    EXPECT_EQ(log.lines().mid(before.size()),
              QStringList({"ACCEL: Color table missing. Try again specifying a valid it8 file", line}));
    EXPECT_EQ(QStringLiteral("ACCEL: ") + instrument.errorString(), line);
    EXPECT_FALSE(sim.operations().contains(QStringLiteral("CreateChart")));
    instrument.cleanupACCEL();
}

INSTANTIATE_TEST_SUITE_P(
    Table, AccelInstrumentMissingTarget,
    ::testing::Values(
        MissingTargetCase{"absolutePath", "<work>/absent.it8", "ACCEL: the it8 file <work>/absent.it8 does not exist"},
        MissingTargetCase{"relativePath", "absent.it8", "ACCEL: the it8 file <work>/absent.it8 does not exist"},
        MissingTargetCase{"inAMissingFolder", "gone/absent.it8",
                          "ACCEL: the it8 file <work>/gone/absent.it8 does not exist"},
        MissingTargetCase{"noPath", "", "ACCEL: no it8 file is given for page 0"}),
    [](const ::testing::TestParamInfo<MissingTargetCase>& info) { return std::string(info.param.name); });

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
        EXPECT_EQ(log.lines().mid(log.lines().size() - 4),
                  QStringList({"Could not generate the color table from the it8 file.", target.fileName() + c.reason,
                               "ACCEL: Color table missing. Try again specifying a valid it8 file",
                               "ACCEL: the it8 file " + target.fileName() + " exists but gives no color table"}));
        EXPECT_EQ(instrument.errorString(), target.fileName() + c.reason);
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
    LogCollector log(instrument);
    setSinglePageJob(instrument, target(4, 8), PageSetup());
    const QString tiff = work.filePath(QStringLiteral("no/such/folder/chart.tif"));
    instrument.setTiffPath(tiff);
    ASSERT_TRUE(bringUp(instrument));
    EXPECT_FALSE(instrument.GenerateTiff());
    EXPECT_TRUE(sim.call("CreateChart").contains(QStringLiteral("= 0x800002"))) << sim.call("CreateChart").toStdString();
    // The TIFF file's own reason, as the begin callback logged it.
    const QString reason = instrument.errorString();
    EXPECT_TRUE(reason.startsWith(tiff + QStringLiteral(": "))) << reason.toStdString();
    EXPECT_TRUE(log.lines().contains(QStringLiteral("ACCEL: ") + reason)) << log.lines().join('\n').toStdString();
    instrument.cleanupACCEL();
}

// ---- the reason of the last failure ------------------------------------------------------

struct FailureCase
{
    const char* name;
    const char* scenario;
    // Empty: every step succeeds.
    QString reason;
    // What the log line holds before the reason; null when the failure is not logged.
    const char* logPrefix;
};

class AccelInstrumentFailureReason : public ::testing::TestWithParam<FailureCase>
{
};

TEST_P(AccelInstrumentFailureReason, NamesTheStepThatFailed)
{
    const FailureCase& c = GetParam();
    QTemporaryDir work;
    SimFolder sim(QString::fromLatin1(c.scenario));
    accelInstrument instrument(sim.path());
    LogCollector log(instrument);
    setSinglePageJob(instrument, writeTarget(work.filePath(QStringLiteral("t.it8")), inkModelFor(4), inkFields(4), 8),
                     PageSetup());
    instrument.setTiffPath(work.filePath(QStringLiteral("chart.tif")));
    const bool succeeded = bringUp(instrument) && instrument.GenerateTiff() && instrument.accelPrintDoc();
    EXPECT_EQ(succeeded, c.reason.isEmpty());
    EXPECT_EQ(instrument.errorString(), c.reason);
    if (c.logPrefix) {
        EXPECT_TRUE(log.lines().contains(QLatin1String(c.logPrefix) + c.reason))
            << log.lines().join('\n').toStdString();
    } else if (!c.reason.isEmpty()) {
        EXPECT_TRUE(log.lines().filter(c.reason).isEmpty());
    }
    instrument.cleanupACCEL();
}

// The chart of this job is 510 lines high, handed over in batches of 64.
INSTANTIATE_TEST_SUITE_P(
    Table, AccelInstrumentFailureReason,
    ::testing::Values(
        FailureCase{"allSucceed", "", QString(), nullptr},
        FailureCase{"tableNotLoaded", "fail.LoadFunction = 0x5", "ACCEL: m_accelLoad_Function error", ""},
        FailureCase{"libraryInitialize", "fail.LoadLibraryInitialize = 0x5", "ACCEL: LoadLibraryInitialize error", ""},
        FailureCase{"initialize", "fail.Initialize = 0x5", "ACCEL: Initialize error", ""},
        FailureCase{"printer", "fail.SetPrinter = 0x5", "ACCEL: SetPrinter error ILS30EP", ""},
        FailureCase{"connectionOpen", "fail.Open = 0x5 @1", "ACCEL: isAccelConnected Open error", ""},
        FailureCase{"connectionClose", "fail.Close = 0x5 @1", "ACCEL: isAccelConnected Close error", ""},
        FailureCase{"notConnected", "connection = 0", "ACCEL: isAccelConnected ACCEL_FATAL_ERROR", ""},
        FailureCase{"documentOpen", "fail.Open = 0x5 @2", "ACCEL: AccelStart Open error", ""},
        FailureCase{"documentCreate", "fail.CreateDoc = 0x5", "ACCEL: AccelDocument CreateDoc error", ""},
        FailureCase{"applicationName", "fail.SetApplicationName = 0x5",
                    "ACCEL: AccelDocument SetApplicationName error", nullptr},
        FailureCase{"platformName", "fail.SetPlatformName = 0x5", "ACCEL: AccelDocument SetPlatformName error",
                    nullptr},
        FailureCase{"documentStart", "fail.StartDoc = 0x5", "ACCEL: StartDoc error", ""},
        FailureCase{"chartRefused", "fail.CreateChart = 0x5", "CreateChart failed", ""},
        FailureCase{"chartLinesOutOfOrder", "chart.fault = reverse",
                    "the SDK handed over line 448 where line 0 was due", "ACCEL: "},
        FailureCase{"chartCutShort", "chart.fault = answer-after-end=0x1234", "CreateChart failed", ""},
        FailureCase{"printing", "fail.PrintDoc = 0x5", "ACCEL: PrintDoc error", ""}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

} // namespace
