#ifndef LUMETRA_KELVORACONVERT_H
#define LUMETRA_KELVORACONVERT_H

#include "kelvora_export.h"

class QVariant;

// Number conversions that property maps from outside can throw anything at:
// every input gives a defined int, never undefined behaviour.
namespace Kelvora {

// Truncates toward zero, saturating to the int range; NaN gives 0.
KELVORA_EXPORT int saturatingToInt(double value);

// Numbers saturate to the int range, other convertible values (bool, digit
// strings) convert, anything else gives 0.
KELVORA_EXPORT int variantToInt(const QVariant& value);

} // namespace Kelvora

#endif
