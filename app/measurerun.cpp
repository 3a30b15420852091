#include "measurerun.h"

#include <QCoreApplication>
#include <QFileDevice>
#include <QIODevice>
#include <QTimer>

MeasureRun::MeasureRun(const MeasureOptions& options, QIODevice& out, QIODevice& err)
    : m_options(options)
    , m_out(out)
    , m_err(err)
    , m_instrument(options.run.accelPath)
{
    // Lines and data files may come from the SDK's threads; these connections queue them here.
    connect(&m_instrument, SIGNAL(addLogLine(const QString&)), this, SLOT(writeLog(const QString&)));
    connect(&m_instrument, &accelInstrument::MeasureDataSignal, this, &MeasureRun::takeDataFile);
    connect(&m_instrument, &accelInstrument::measureProgr, this, &MeasureRun::writeProgress);
    connect(&m_instrument, &accelInstrument::pageEndSignal, this, &MeasureRun::endPage);
}

MeasureRun::~MeasureRun() = default;

int MeasureRun::exec()
{
    bool measured = false;
    if (connectInstrument()) {
        m_instrument.setParams(m_options.jobMap());
        measured = measurePages();
    }
    release();
    return measured ? 0 : 1;
}

void MeasureRun::release()
{
    m_instrument.cleanupACCEL();
    // Deliver what the SDK's threads queued before the release; page ends among
    // it belong to a page no longer waited for.
    m_pageEnded = true;
    QCoreApplication::sendPostedEvents();
}

bool MeasureRun::connectInstrument()
{
    const RunOptions& o = m_options.run;
    if (!m_instrument.InitInstrument(o.prnConnType, o.prnAddr, o.prnModel) || !m_instrument.checkAccelConnession()) {
        fail(QStringLiteral("the instrument could not be set up"));
        return false;
    }
    return true;
}

bool MeasureRun::measurePages()
{
    for (int page = 0; page < m_options.pages; ++page) {
        // A page ends its document, and only a release closes the connection a
        // document opened: every further page starts from a fresh SDK session.
        if (page > 0) {
            release();
            if (!connectInstrument())
                return false;
        }
        if (!measurePage(page))
            return false;
    }
    return true;
}

bool MeasureRun::measurePage(int page)
{
    m_pageEnded = false;
    m_pageSucceeded = false;
    m_pageDataFiles = 0;
    if (!m_instrument.AccelStart(m_options.mode, m_options.prefix, m_options.dataFolder)
        || !m_instrument.accelPrintDoc() || !m_instrument.StartPage(page)) {
        fail(QStringLiteral("page %1 could not be started").arg(page));
        return false;
    }
    m_instrument.EndPrint(0);
    if (!m_pageEnded) {
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, &m_pageWait, &QEventLoop::quit);
        timeout.start(m_options.timeoutSeconds * 1000);
        m_pageWait.exec();
    }
    if (!m_pageEnded) {
        fail(QStringLiteral("page %1 did not end within %2 s").arg(page).arg(m_options.timeoutSeconds));
        return false;
    }
    if (!m_pageSucceeded) {
        fail(QStringLiteral("page %1 ended with a failure").arg(page));
        return false;
    }
    if (m_pageDataFiles == 0) {
        fail(QStringLiteral("page %1 ended without a data file").arg(page));
        return false;
    }
    return true;
}

void MeasureRun::writeLog(const QString& line)
{
    writeLine(m_err, line);
}

void MeasureRun::writeProgress(const QString& text)
{
    writeLine(m_out, text);
}

void MeasureRun::takeDataFile(const QString& path)
{
    // An empty path is a file that could not be written; the log says why.
    if (path.isEmpty())
        return;
    ++m_pageDataFiles;
    writeLine(m_out, path);
}

void MeasureRun::endPage(bool success)
{
    if (m_pageEnded)
        return;
    m_pageEnded = true;
    m_pageSucceeded = success;
    m_pageWait.quit();
}

void MeasureRun::fail(const QString& why)
{
    writeLine(m_err, QStringLiteral("lumetra-measure: %1").arg(why));
}

void MeasureRun::writeLine(QIODevice& device, const QString& line)
{
    device.write(line.toLocal8Bit() + '\n');
    // Unbuffered files pass this on at once; a buffer has nothing to flush.
    if (auto* file = qobject_cast<QFileDevice*>(&device))
        file->flush();
}
