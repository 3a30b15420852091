#include "measurerun.h"

#include "logwriter.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimer>

#include <cstdlib>

namespace {

// After a time-out the release of the SDK gets this long before the process
// ends without it: a release takes a few quick calls, a stuck SDK forever.
constexpr std::chrono::seconds ReleaseAllowance(2);

// The driver dumps each page's measurement record as it sets the page up: a
// line per field, of use when a page is measured wrong, noise otherwise.
bool isSetupDump(const QString& line)
{
    static const QRegularExpression dump(QStringLiteral(
        "^(MeasureType|mCalibration|mPatchCountX|mPatchCountY|TakeUp|mPatchSizeWidth|mPatchSizeHeight|OffsetY|"
        "mStartPositionX|mStartPositionY|mchartType|mUVFilter|mM0) -?\\d+$"));
    return dump.match(line).hasMatch();
}

} // namespace

Watchdog::Watchdog(std::FILE* out, std::FILE* err) : m_out(out), m_err(err), m_thread([this] { watch(); }) {}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void Watchdog::arm(Clock::time_point deadline, const QString& lastWords)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_armed = true;
        m_deadline = deadline;
        m_lastWords = (lastWords + QLatin1Char('\n')).toLocal8Bit().toStdString();
    }
    m_changed.notify_all();
}

void Watchdog::disarm()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_armed = false;
    }
    m_changed.notify_all();
}

void Watchdog::watch()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        if (!m_armed) {
            m_changed.wait(lock);
            continue;
        }
        const Clock::time_point deadline = m_deadline;
        if (!m_changed.wait_until(lock, deadline, [&] { return m_stopping || !m_armed || m_deadline != deadline; }))
            expire();
    }
}

void Watchdog::expire()
{
    // No unwinding: the stuck thread would never let it finish. Nothing else is
    // lost: lines reach stdio whole, and a data file is written under a temporary
    // name until it is complete.
    std::fflush(m_out);
    std::fputs(m_lastWords.c_str(), m_err);
    std::fflush(m_err);
    std::_Exit(1);
}

MeasureRun::MeasureRun(const MeasureOptions& options, std::FILE* out, std::FILE* err)
    : m_options(options)
    , m_watchdog(out, err)
    , m_instrument(options.run.accelPath)
{
    // Unbuffered: every byte written is in stdio, where the watchdog can flush it.
    m_out.open(out, QIODevice::WriteOnly | QIODevice::Unbuffered);
    m_err.open(err, QIODevice::WriteOnly | QIODevice::Unbuffered);
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
    guard(0);
    if (connectInstrument()) {
        m_instrument.setParams(m_options.jobMap());
        measured = measurePages();
    }
    release();
    m_watchdog.disarm();
    writeSummary();
    return measured ? 0 : 1;
}

void MeasureRun::guard(int page)
{
    m_watchdog.arm(Watchdog::Clock::now() + std::chrono::seconds(m_options.timeoutSeconds) + ReleaseAllowance,
                   QStringLiteral("lumetra-measure: page %1: the SDK has not returned within the time-out of %2 s "
                                  "and %3 s more; ending without releasing it")
                       .arg(page)
                       .arg(m_options.timeoutSeconds)
                       .arg(ReleaseAllowance.count()));
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
    if (!accelConnect(m_instrument, m_options.run.printer())) {
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
            guard(page);
            release();
            if (!connectInstrument())
                return false;
        }
        m_page = page;
        const bool measured = measurePage(page);
        ++(measured ? m_pagesDone : m_pagesFailed);
        writeEvent(measured ? QStringLiteral("done") : QStringLiteral("failed"));
        if (!measured)
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
    writeEvent(QStringLiteral("printing"));
    m_instrument.EndPrint(0);
    guard(page);
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
    if (m_options.verbose == 1 || !isSetupDump(line))
        writeLine(m_err, line);
}

void MeasureRun::writeProgress(const QString& text)
{
    writeEvent(QStringLiteral("measuring %1").arg(text));
}

void MeasureRun::takeDataFile(const QString& path)
{
    // An empty path is a file that could not be written; the log says why.
    if (path.isEmpty())
        return;
    ++m_pageDataFiles;
    ++m_dataFiles;
    writeEvent(QStringLiteral("data in %1").arg(path));
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

void MeasureRun::writeEvent(const QString& event)
{
    writeLine(m_out, QStringLiteral("page %1 of %2: %3").arg(m_page + 1).arg(m_options.pages).arg(event));
}

void MeasureRun::writeSummary()
{
    writeLine(m_out, QStringLiteral("done: %1 of %2 pages, failed: %3, data files written: %4")
                         .arg(m_pagesDone)
                         .arg(m_options.pages)
                         .arg(m_pagesFailed)
                         .arg(m_dataFiles));
}

void MeasureRun::writeLine(QFile& file, const QString& line)
{
    file.write(escapedLogText(line).toLocal8Bit() + '\n');
    file.flush();
}
