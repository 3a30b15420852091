#include "measurementrig.h"

#include "accelmeasparams_st.h"
#include "accelsetup.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>

MeasurementRig::MeasurementRig(const QString& scenario)
    : m_sim(scenario)
    , m_instrument(m_sim.path())
{
    // Direct connections keep the order of emission across threads.
    QObject::connect(
        &m_instrument, qOverload<const QString&, int>(&accelInstrument::addLogLine), &m_instrument,
        [this](const QString& line, int) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_logLines << line;
        },
        Qt::DirectConnection);
    QObject::connect(
        &m_instrument, &accelInstrument::MeasureDataSignal, &m_instrument,
        [this](const QString& file) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_dataFiles << file;
        },
        Qt::DirectConnection);
    // These two are emitted on the instrument's own thread only.
    QObject::connect(&m_instrument, &accelInstrument::measureProgr, &m_instrument,
                     [this](const QString& text, int type) { m_progress << qMakePair(text, type); });
    QObject::connect(&m_instrument, &accelInstrument::pageEndSignal, &m_instrument,
                     [this](bool result) { m_pageEnds << result; });
}

MeasurementRig::~MeasurementRig()
{
    m_instrument.cleanupACCEL();
}

bool MeasurementRig::open(const QList<PageValues>& pages, int docMode, const QString& prefix)
{
    return open(pages, docMode, prefix, dataFolder());
}

bool MeasurementRig::open(const QList<PageValues>& pages, int docMode, const QString& prefix, const QString& folder)
{
    accelMeasParams_st job;
    job.setPageWidth(Measure(Measure::Millimetre, 320.0));
    job.setPageHeight(Measure(Measure::Millimetre, 450.0));
    for (const PageValues& page : pages)
        job.pages.append(newPageWith(page));
    if (!m_sim.isValid() || !m_data.isValid()
        || !accelConnect(m_instrument, {3, QStringLiteral("127.0.0.1"), QStringLiteral("ILS30EP")}))
        return false;
    m_instrument.setParams(job);
    return m_instrument.AccelStart(docMode, prefix, folder) && m_instrument.accelPrintDoc();
}

bool MeasurementRig::waitForStatuses(int count, int timeoutMs) const
{
    QElapsedTimer clock;
    clock.start();
    while (callbackAnswers().size() < count) {
        if (clock.hasExpired(timeoutMs))
            return false;
        QThread::msleep(2);
    }
    return true;
}

bool MeasurementRig::waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    QTimer wakeUp;
    wakeUp.start(10);
    while (!done()) {
        if (clock.hasExpired(timeoutMs))
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void MeasurementRig::settle()
{
    QElapsedTimer clock;
    clock.start();
    waitUntil([&] { return clock.hasExpired(100); });
}

QStringList MeasurementRig::logLines() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_logLines;
}

QStringList MeasurementRig::dataFiles() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dataFiles;
}

QStringList MeasurementRig::callbackAnswers() const
{
    QFile trace(m_sim.filePath(QStringLiteral("trace.txt")));
    QStringList answers;
    if (!trace.open(QIODevice::ReadOnly))
        return answers;
    const QByteArray prefix("<- StatusCallback = ");
    for (const QByteArray& line : trace.readAll().split('\n')) {
        if (line.startsWith(prefix))
            answers << QString::fromLatin1(line.mid(prefix.size()));
    }
    return answers;
}

QStringList MeasurementRig::operationsAfter(const QString& operation) const
{
    const QStringList all = m_sim.operations();
    const int first = all.indexOf(operation);
    return first < 0 ? QStringList() : all.mid(first + 1);
}

PageValues plainPage()
{
    return {QStringLiteral("target.it8"), 20, 0, 0, 0, 10, 4, 1, false, 0, 1, 8.0, 6.0, 10.0, 20.0};
}
