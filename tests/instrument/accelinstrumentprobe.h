#ifndef LUMETRA_TESTS_ACCELINSTRUMENTPROBE_H
#define LUMETRA_TESTS_ACCELINSTRUMENTPROBE_H

#include "accelinstrument_p.h"

// What the SDK sees of an instrument: the records it is given, the shared
// counters and the status callback, for tests to look at.
class accelInstrumentProbe
{
public:
    explicit accelInstrumentProbe(const accelInstrument& instrument)
        : m_instrument(accelInstrumentPrivate::of(instrument))
    {
    }

    const MeasurementRecord& record() const { return m_instrument.measurement.record(); }
    const DryingRecord* dryingList() const { return m_instrument.measurement.dryingList(); }
    int dryingEntryCount() const { return m_instrument.measurement.dryingEntryCount(); }
    // Drying lists the instrument keeps for the SDK.
    size_t keptDryingLists() const { return m_instrument.measurement.keptDryingLists(); }
    int endFlag() const { return m_instrument.session.accel().mEndFlag; }

    static AccelStatusCallback statusCallback() { return PageMeasurement::statusCallback(); }
    // What the instrument hands the SDK as the status callback's user.
    void* statusUser() const { return const_cast<PageMeasurement*>(&m_instrument.measurement); }

private:
    const accelInstrumentPrivate& m_instrument;
};

#endif
