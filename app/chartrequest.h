#ifndef LUMETRA_CHARTREQUEST_H
#define LUMETRA_CHARTREQUEST_H

#include "runoptions.h"

#include <QString>

// Decides whether the command-line values can make a chart at all, before the
// SDK is touched. The SDK records hold lengths as signed 32-bit hundredths of a
// millimetre and the background colour in 32 bytes.
class ChartRequest
{
public:
    static constexpr int MaxChannels = 32;

    explicit ChartRequest(const RunOptions& options);

    // Empty when the values can make a chart, else the log line that says why not.
    QString refusal() const;

private:
    const RunOptions& m_options;
};

#endif
