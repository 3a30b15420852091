#ifndef LUMETRA_RUNPREFLIGHT_H
#define LUMETRA_RUNPREFLIGHT_H

#include "runoptions.h"

#include <QString>
#include <QStringList>

// What a run can check before the printer is touched: the target reads whole
// into a colour table, the chart's folder can take the file, and the options
// agree with the target.
class RunPreflight
{
public:
    explicit RunPreflight(const RunOptions& options);

    // Empty when the run may go on, else the log line that says why not.
    QString refusal() const { return m_refusal; }
    // Options the run goes on with although the target says otherwise.
    QStringList warnings() const { return m_warnings; }

private:
    void checkTarget(const RunOptions& options);
    void checkOutputFolder(const RunOptions& options);

    QString m_refusal;
    QStringList m_warnings;
};

#endif
