#include <kelvora/kelvoraconvert.h>

#include <QVariant>

#include <climits>
#include <cmath>

namespace Kelvora {

int saturatingToInt(double value)
{
    if (std::isnan(value))
        return 0;
    // Bounds are exact doubles; anything strictly between them truncates into range.
    if (value >= 2147483648.0)
        return INT_MAX;
    if (value <= -2147483649.0)
        return INT_MIN;
    return static_cast<int>(value);
}

int variantToInt(const QVariant& value)
{
    switch (value.userType()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return saturatingToInt(value.toDouble());
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong: {
        const qulonglong wide = value.toULongLong();
        return wide > static_cast<qulonglong>(INT_MAX) ? INT_MAX : static_cast<int>(wide);
    }
    default: {
        bool ok = false;
        const qlonglong wide = value.toLongLong(&ok);
        if (!ok)
            return 0;
        if (wide > INT_MAX)
            return INT_MAX;
        if (wide < INT_MIN)
            return INT_MIN;
        return static_cast<int>(wide);
    }
    }
}

} // namespace Kelvora
