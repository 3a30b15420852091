#ifndef LUMETRA_MEASURERUN_H
#define LUMETRA_MEASURERUN_H

#include "accelinstrument.h"
#include "measureoptions.h"

#include <QEventLoop>
#include <QFile>
#include <QObject>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

// Ends the process once an armed deadline passes, whatever its other threads are
// doing: an SDK stuck inside a call never gives control back to them.
class Watchdog
{
public:
    using Clock = std::chrono::steady_clock;

    // out and err are flushed before the process ends; err receives the last words.
    Watchdog(std::FILE* out, std::FILE* err);
    ~Watchdog();

    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // Replaces any earlier deadline: at `deadline` the line `lastWords` is written and the process ends with 1.
    void arm(Clock::time_point deadline, const QString& lastWords);
    void disarm();

private:
    void watch();
    [[noreturn]] void expire();

    std::FILE* m_out;
    std::FILE* m_err;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_armed = false;
    bool m_stopping = false;
    Clock::time_point m_deadline;
    std::string m_lastWords;
    std::thread m_thread; // last: starts once the members it reads exist
};

// A run of lumetra-measure: sets the instrument up, measures the job's pages one
// after the other, each in a document of its own, and releases the SDK. Log
// lines go to `err`; to `out` one line per event of a page, as it happens, and
// a summary at the end.
class MeasureRun : public QObject
{
    Q_OBJECT

public:
    MeasureRun(const MeasureOptions& options, std::FILE* out, std::FILE* err);
    ~MeasureRun() override;

    // The exit code: 0 when every page ended with success and left its data file.
    int exec();

private slots:
    void writeLog(const QString& line);
    void writeProgress(const QString& text);
    void takeDataFile(const QString& path);
    void endPage(bool success);

private:
    bool connectInstrument();
    bool measurePages();
    bool measurePage(int page);
    // From now on the SDK has the time-out, and the allowance to release it, before the process ends.
    void guard(int page);
    void release();
    void fail(const QString& why);
    // One line of `out` about the current page, which it names 1-based.
    void writeEvent(const QString& event);
    void writeSummary();
    static void writeLine(QFile& file, const QString& line);

    MeasureOptions m_options;
    QFile m_out;
    QFile m_err;
    Watchdog m_watchdog;
    accelInstrument m_instrument;
    QEventLoop m_pageWait;
    int m_page = 0;
    int m_pagesDone = 0;
    int m_pagesFailed = 0;
    int m_dataFiles = 0;
    bool m_pageEnded = false;
    bool m_pageSucceeded = false;
    int m_pageDataFiles = 0;
};

#endif
