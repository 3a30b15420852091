#include "measureoptions.h"

#include "accelmeasparams_st.h"
#include "accelparams_st.h"
#include "accelparamskeys.h"
#include <kelvora/measure.h>
#include <kelvora/measureproperty.h>
#include "targetlayout.h"

namespace {

// A length record of whole millimetres as a page's map holds it.
QVariant lengthRecord(int millimetres)
{
    MeasureProperty length(Measure::Millimetre, millimetres);
    PropertyMap record;
    length.toMap(record, eSaveValues);
    return record;
}

} // namespace

QString MeasureOptions::layOutTarget()
{
    const TargetLayout target(run);
    if (!target.refusal().isEmpty())
        return target.refusal();
    // Unlike a chart, a measurement cannot take the target's count instead: the patches would not match.
    if (target.setCount() != run.numPatch)
        return QStringLiteral("-numpatch %1, but the target holds %2 patches").arg(run.numPatch).arg(target.setCount());
    patchesPerRow = target.patchesPerRow();
    totalPatchCount = target.totalPatchCount();
    return QString();
}

PropertyMap MeasureOptions::jobMap() const
{
    accelJobRequest request = run.jobRequest();
    request.patchesPerRow = patchesPerRow;
    request.totalPatchCount = totalPatchCount;
    accelParams_st page = request.page();

    PropertyMap values;
    page.toMap(values, eSaveValues);
    values.insert(QLatin1String(accelParamsKeys::MeasType), DevProperty::QMapSetSimpleValue(measureType));
    values.insert(QLatin1String(accelParamsKeys::CalibType), DevProperty::QMapSetSimpleValue(calibType));
    values.insert(QLatin1String(accelParamsKeys::TakeUp), DevProperty::QMapSetSimpleValue(takeUp != 0));
    values.insert(QLatin1String(accelParamsKeys::DryType), DevProperty::QMapSetSimpleValue(dryType));
    values.insert(QLatin1String(accelParamsKeys::DryTime), DevProperty::QMapSetSimpleValue(dryTime));
    values.insert(QLatin1String(accelParamsKeys::UVFilter), DevProperty::QMapSetSimpleValue(uvFilter));
    values.insert(QLatin1String(accelParamsKeys::Mm0), DevProperty::QMapSetSimpleValue(m0));
    values.insert(QLatin1String(accelParamsKeys::OffsetX), lengthRecord(offsetX));
    values.insert(QLatin1String(accelParamsKeys::OffsetY), lengthRecord(offsetY));
    page.fromMap(values);

    accelMeasParams_st job;
    request.fillJob(job, page, pages);
    PropertyMap map;
    job.toMap(map, eSaveValues);
    return map;
}
