#include "accelinstrument.h"

#include "accelinstrument_p.h"

accelInstrumentPrivate::accelInstrumentPrivate(accelInstrument& instrument, const QString& sdkFolder)
    : report([&instrument](const QString& line) { emit instrument.addLogLine(line, 0); })
    , session(sdkFolder, job, report)
    , chart(session, job, report, &instrument)
    , measurement(session, job, report, instrument)
{
}

accelInstrument::accelInstrument(const QString& sdkFolder)
    : QObject(nullptr)
    , d_ptr(new accelInstrumentPrivate(*this, sdkFolder))
{
}

accelInstrument::~accelInstrument() = default;

bool accelInstrument::InitInstrument(int connectionType, const QString& address, const QString& model)
{
    return d_ptr->session.initialize(connectionType, address, model);
}

bool accelInstrument::checkAccelConnession()
{
    return d_ptr->session.checkConnection();
}

bool accelInstrument::AccelStart(int mode, const QString& dataFilePrefix, const QString& dataFolder)
{
    d_ptr->measurement.prepare(dataFilePrefix, dataFolder);
    return d_ptr->session.start(mode);
}

bool accelInstrument::accelPrintDoc()
{
    return d_ptr->measurement.printDocument();
}

void accelInstrument::doEndDoc()
{
    if (d_ptr->session.isInitialized())
        d_ptr->session.endDocument();
}

unsigned accelInstrument::Accel_Abort()
{
    d_ptr->session.abortDocument();
    return 0;
}

unsigned accelInstrument::AccelWrite(const char* data, qint64 length)
{
    return d_ptr->session.write(data, length);
}

unsigned accelInstrument::PrintLabel(const QByteArray& label)
{
    return d_ptr->session.printLabel(label);
}

void accelInstrument::EndPrint(int)
{
    d_ptr->session.accel().mEndFlag = 1;
}

void accelInstrument::cleanupACCEL()
{
    d_ptr->session.terminate();
    // The SDK reads no drying list any more.
    d_ptr->measurement.releaseDryingLists();
    d_ptr->session.unload();
}

bool accelInstrument::GenerateTiff()
{
    return d_ptr->chart.generate();
}

bool accelInstrument::StartPage(int page)
{
    return d_ptr->measurement.startPage(page) == 0;
}

void accelInstrument::fillMeasurementStruct(int page)
{
    d_ptr->measurement.fillMeasurementRecord(page);
}

void accelInstrument::fillArtificialDryingStruct(int page)
{
    d_ptr->measurement.fillArtificialDryingList(page);
}

void accelInstrument::doPageEnd()
{
    d_ptr->measurement.queueDocumentFinishedCheck();
}

void accelInstrument::doPageMeasureProgress(const QString& text, int type)
{
    d_ptr->measurement.reportProgress(text, type);
}

void accelInstrument::setDryingOffset(int millimetres)
{
    d_ptr->measurement.setDryingOffset(millimetres);
}

int accelInstrument::getDryingOffset() const
{
    return d_ptr->measurement.dryingOffset();
}

bool accelInstrument::getIsConnected() const
{
    return d_ptr->session.isConnected();
}

bool accelInstrument::isInitialized() const
{
    return d_ptr->session.isInitialized();
}

int accelInstrument::getChartType() const
{
    return d_ptr->session.chartType();
}

void accelInstrument::setTiffPath(const QString& path)
{
    d_ptr->chart.setTiffPath(path);
}

void accelInstrument::writeToLog(const QString& text)
{
    d_ptr->report.log(text);
}

QString accelInstrument::errorString() const
{
    return d_ptr->report.errorString();
}

void accelInstrument::setParams(const PropertyMap& map)
{
    d_ptr->job.fromMap(map);
}

void accelInstrument::setParams(accelMeasParams_st& params)
{
    PropertyMap map;
    params.toMap(map, eSaveValues);
    d_ptr->job.fromMap(map);
}

const accelMeasParams_st& accelInstrument::params() const
{
    return d_ptr->job;
}

void accelInstrument::toMap(PropertyMap& map, eSaveMode mode)
{
    if (!writesFullRecords(mode))
        return;
    const QString connected = DevProperty::tr("Connected");
    DevProperty::insertOrderedProperty(map, QStringLiteral("accelIsConnected"),
                                       DevProperty::QMapBoolProp(connected, connected, d_ptr->session.isConnected(),
                                                                 false, true, true, QString(), QString()),
                                       1);
}

void accelInstrument::fromMap(const PropertyMap&)
{
}

bool accelInstrument::checkDataCoherence(const PropertyMap&, PropertyMap&)
{
    return false;
}

QString accelInstrument::getClass() const
{
    return QStringLiteral("accelInstrument_st");
}

QString accelInstrument::getLabel() const
{
    return DevProperty::tr("accelInstrument_st");
}

QString accelInstrument::getToolTips() const
{
    return DevProperty::tr("accelInstrument_st");
}

void accelInstrument::pageEndSlot(bool resp, int)
{
    if (d_ptr->session.isInitialized()) {
        if (resp)
            d_ptr->session.endDocument();
        else
            d_ptr->session.abortDocument();
    }
    // The document has ended with its page: the SDK reads none of its drying lists any more.
    d_ptr->measurement.releaseDryingLists();
    emit pageEndSignal(resp);
}

void accelInstrument::pageMeasureProgrSlot(const QString& progrStr, int progrtype)
{
    emit measureProgr(progrStr, progrtype);
}

void accelInstrument::doPageEndSlot()
{
    d_ptr->session.askDocumentFinished();
}
