#ifndef LUMETRA_ACCELSETUP_H
#define LUMETRA_ACCELSETUP_H

#include "accelmeasparams_st.h"
#include "accelparams_st.h"
#include "lumetra_export.h"

#include <QString>

#include <cstdint>

class accelInstrument;

/**
 * @brief The pages of a chart request: the target and its geometry.
 *
 * The common job of a host: every page shows the same chart, so one request
 * describes them all. Lengths are whole millimetres.
 */
struct LUMETRA_EXPORT accelJobRequest
{
    /// The IT8/CGATS target of the chart.
    QString it8File;
    /// Patches per chart row; -1 takes the target's LGOROWLENGTH.
    int32_t patchesPerRow = 0;
    /// Patch width.
    int32_t patchWidth = 0;
    /// Patch height.
    int32_t patchHeight = 0;
    /// Ink channels of the chart, 1 to 32.
    int32_t channels = 0;
    /// Paper width.
    uint32_t paperWidth = 0;
    /// Paper height.
    uint32_t paperHeight = 0;
    /// The patches of every row, the last row's padding included; 0 until the
    /// target is read (the chart fills it in).
    int32_t totalPatchCount = 0;

    /// One page of the request, with the measurement options' defaults.
    accelParams_st page() const;
    /// Replaces the pages of @p job by @p count copies of @p page, on this paper.
    void fillJob(accelMeasParams_st& job, const accelParams_st& page, int count = 1) const;
    /// A job of one page() on this paper.
    void fillJob(accelMeasParams_st& job) const;
};

/// The printer an instrument talks to; see accelInstrument::InitInstrument().
struct accelPrinter
{
    /// 3 TCP, 4 USB, 6 AUTO, 7 USB when the address starts with "usb".
    int connectionType = 3;
    /// The printer's address.
    QString address;
    /// The printer's model, as the SDK knows it.
    QString model;
};

/// accelInstrument::InitInstrument() and accelInstrument::checkAccelConnession():
/// false at the first failure, whose reason the instrument logged and keeps in
/// accelInstrument::errorString().
LUMETRA_EXPORT bool accelConnect(accelInstrument& instrument, const accelPrinter& printer);

/// accelConnect(), then accelInstrument::AccelStart() with @p documentMode
/// (an accelInstrument::DocumentMode) and where the data files go.
LUMETRA_EXPORT bool accelBringUp(accelInstrument& instrument, const accelPrinter& printer, int documentMode,
                                 const QString& dataFilePrefix = QString(), const QString& dataFolder = QString());

#endif
