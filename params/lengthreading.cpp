#include "lengthreading.h"

#include "kelvoraconvert.h"
#include "measureproperty.h"

int readLengthIn(const MeasureProperty& length, Measure::UnitCode unit)
{
    Measure reading(unit, 0.0);
    reading.Convert(length.getMeasure());
    return Kelvora::saturatingToInt(reading.getValue());
}
