#include "lengthreading.h"

#include <kelvora/kelvoraconvert.h>
#include <kelvora/measureproperty.h>

int readLengthIn(const MeasureProperty& length, Measure::UnitCode unit)
{
    Measure reading(unit, 0.0);
    reading.Convert(length.getMeasure());
    return Kelvora::saturatingToInt(reading.getValue());
}
