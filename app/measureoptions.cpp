#include "measureoptions.h"

#include "accelmeasparams_st.h"
#include "accelparams_st.h"
#include "measure.h"
#include "measureproperty.h"
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
    accelParams_st page;
    page.setIt8FilePath(run.it8File);
    page.setPatchCountPerRow(patchesPerRow);
    page.setPatchSizeX(Measure(Measure::Millimetre, run.patchSizeX));
    page.setPatchSizeY(Measure(Measure::Millimetre, run.patchSizeY));
    page.setNumChannels(run.numColor);
    page.setTotalPatchCount(totalPatchCount);

    PropertyMap values;
    page.toMap(values, eSaveValues);
    values.insert(QStringLiteral("accelParamsMeasType"), DevProperty::QMapSetSimpleValue(measureType));
    values.insert(QStringLiteral("accelParamsCalibType"), DevProperty::QMapSetSimpleValue(calibType));
    values.insert(QStringLiteral("accelParamsTakeUp"), DevProperty::QMapSetSimpleValue(takeUp != 0));
    values.insert(QStringLiteral("accelParamsDryType"), DevProperty::QMapSetSimpleValue(dryType));
    values.insert(QStringLiteral("accelParamsDryTime"), DevProperty::QMapSetSimpleValue(dryTime));
    values.insert(QStringLiteral("accelParamsUVFilter"), DevProperty::QMapSetSimpleValue(uvFilter));
    values.insert(QStringLiteral("accelParamsMm0"), DevProperty::QMapSetSimpleValue(m0));
    values.insert(QStringLiteral("accelParamsOffsetX"), lengthRecord(offsetX));
    values.insert(QStringLiteral("accelParamsOffsetY"), lengthRecord(offsetY));
    page.fromMap(values);

    accelMeasParams_st job;
    job.setPageHeight(Measure(Measure::Millimetre, run.paperSizeY));
    job.setPageWidth(Measure(Measure::Millimetre, run.paperSizeX));
    for (int i = 0; i < pages; ++i)
        job.pages.append(new accelParams_st(page));
    PropertyMap map;
    job.toMap(map, eSaveValues);
    return map;
}
