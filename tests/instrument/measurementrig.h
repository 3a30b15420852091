#ifndef LUMETRA_TESTS_MEASUREMENTRIG_H
#define LUMETRA_TESTS_MEASUREMENTRIG_H

#include "accelinstrument.h"
#include "pagevalues.h"
#include "simfolder.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <mutex>

// An instrument measuring pages against a private copy of the simulator, with
// everything it reports recorded in order, from whichever thread it came.
class MeasurementRig
{
public:
    explicit MeasurementRig(const QString& scenario = QString());
    ~MeasurementRig();

    MeasurementRig(const MeasurementRig&) = delete;
    MeasurementRig& operator=(const MeasurementRig&) = delete;

    accelInstrument& instrument() { return m_instrument; }
    const SimFolder& sim() const { return m_sim; }
    QString dataFolder() const { return m_data.path(); }

    // Up to a printing document: the SDK, the connection, a job of these pages,
    // AccelStart with the mode, prefix and folder, and accelPrintDoc.
    bool open(const QList<PageValues>& pages, int docMode, const QString& prefix = QStringLiteral("run"));
    bool open(const QList<PageValues>& pages, int docMode, const QString& prefix, const QString& folder);

    // Waits, without delivering queued calls, until the SDK has had count statuses answered.
    bool waitForStatuses(int count, int timeoutMs = 20000) const;
    // Delivers queued calls until done() holds; false after the time-out.
    bool waitUntil(const std::function<bool()>& done, int timeoutMs = 20000);
    // Delivers whatever is queued now and for a short while after.
    void settle();

    QStringList logLines() const;
    QStringList dataFiles() const;
    QList<QPair<QString, int>> progress() const { return m_progress; }
    QList<bool> pageEnds() const { return m_pageEnds; }
    // The status callback's answers as traced by the simulator ("0", "0x800001", ...).
    QStringList callbackAnswers() const;
    // The SDK operations traced after the first call of `operation`.
    QStringList operationsAfter(const QString& operation) const;

private:
    SimFolder m_sim;
    QTemporaryDir m_data;
    accelInstrument m_instrument;
    // A standard mutex, which thread checkers see through.
    mutable std::mutex m_mutex;
    QStringList m_logLines;
    QStringList m_dataFiles;
    QList<QPair<QString, int>> m_progress;
    QList<bool> m_pageEnds;
};

// A page of 20 patches, 10 per row, measured without artificial drying.
PageValues plainPage();

#endif
