#ifndef LUMETRA_LENGTHREADING_H
#define LUMETRA_LENGTHREADING_H

#include <kelvora/measure.h>

class MeasureProperty;

// The stored length expressed in unit, its fraction dropped (12.9 reads as 12,
// -0.5 as 0). Lengths beyond the int range saturate, NaN and unknown units
// read as 0.
int readLengthIn(const MeasureProperty& length, Measure::UnitCode unit);

#endif
