#ifndef LUMETRA_TESTS_ACCELINSTRUMENTPROBE_H
#define LUMETRA_TESTS_ACCELINSTRUMENTPROBE_H

#include "accelinstrument.h"

// What the SDK sees of an instrument: the records it is given, the shared
// counters and the status callback, for tests to look at.
class accelInstrumentProbe
{
public:
    explicit accelInstrumentProbe(const accelInstrument& instrument)
        : m_instrument(instrument)
    {
    }

    const MeasurementRecord& record() const { return *m_instrument.m_measurementRecord; }
    const DryingRecord* dryingList() const { return m_instrument.m_dryingList; }
    int dryingEntryCount() const { return m_instrument.m_dryingEntryCount; }
    // Drying lists the instrument keeps for the SDK.
    size_t keptDryingLists() const { return m_instrument.m_dryingLists.size(); }
    int endFlag() const { return m_instrument.m_accel.mEndFlag; }

    static AccelStatusCallback statusCallback() { return &accelInstrument::Accel_StatusCallBack; }

private:
    const accelInstrument& m_instrument;
};

#endif
