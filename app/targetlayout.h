#ifndef LUMETRA_TARGETLAYOUT_H
#define LUMETRA_TARGETLAYOUT_H

#include "runoptions.h"

#include <QString>

// The target read and laid out as the chart lays it out, before the printer is
// touched: both tools refuse the same targets for the same reason.
class TargetLayout
{
public:
    explicit TargetLayout(const RunOptions& options);

    // Empty when the target lays out, else why not (without the tool's name).
    QString refusal() const { return m_refusal; }
    // The patches the target holds.
    int setCount() const { return m_setCount; }
    // The ink channels the target provides, 0 when it does not say.
    int channelCount() const { return m_channelCount; }
    // Patches per row: -patchperrow, or the target's own row length.
    int patchesPerRow() const { return m_patchesPerRow; }
    // The patches of every row, the padding of the last one included.
    int totalPatchCount() const { return m_totalPatchCount; }

private:
    QString m_refusal;
    int m_setCount = 0;
    int m_channelCount = 0;
    int m_patchesPerRow = 0;
    int m_totalPatchCount = 0;
};

#endif
