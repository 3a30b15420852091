#ifndef LUMETRA_ACCELINSTRUMENT_P_H
#define LUMETRA_ACCELINSTRUMENT_P_H

// Not part of the installed interface: the instrument's state, which the SDK
// keeps pointers into for as long as the instrument lives.

#include "accelinstrument.h"
#include "accelmeasparams_st.h"
#include "chartwriter.h"
#include "instrumentreport.h"
#include "pagemeasurement.h"
#include "sdksession.h"

class accelInstrumentPrivate
{
public:
    accelInstrumentPrivate(accelInstrument& instrument, const QString& sdkFolder);

    // For the driver's own tests, which look at what the SDK is given.
    static const accelInstrumentPrivate& of(const accelInstrument& instrument) { return *instrument.d_ptr; }

    accelMeasParams_st job;
    InstrumentReport report;
    SdkSession session;
    ChartWriter chart;
    PageMeasurement measurement;
};

#endif
