#ifndef LUMETRA_MEASURE_H
#define LUMETRA_MEASURE_H

#include "kelvora_export.h"

#include <cstdint>

// A length with its unit. Units convert through exact ratios to the millimetre,
// so a conversion costs at most one rounding of the result.
class KELVORA_EXPORT Measure
{
public:
    // 64 bits on every platform (unsigned long is 32 on Windows): a code read
    // from a map is kept whole and an unknown one refused, never cut to a known one.
    typedef std::uint64_t UnitCode;

    enum Unit : UnitCode {
        // The unit of a measure nobody has given one; it counts in millimetres.
        DefaultUnit = 0,
        Inch = 1,
        Centimetre = 2,
        Millimetre = 3,
        Point = 4,
        Pica = 5,
        Micrometre = 6,
        Metre = 7
    };

    explicit Measure(UnitCode unit = DefaultUnit, double value = 0.0);

    // Sets this value to the length of src expressed in this unit. False, and the
    // value unchanged, when either unit code is unknown.
    virtual bool Convert(const Measure& src);
    virtual ~Measure();

    Measure(const Measure&) = default;
    Measure& operator=(const Measure&) = default;

    UnitCode getUnit() const { return m_unit; }
    double getValue() const { return m_value; }
    void setValue(double value) { m_value = value; }

    static bool isKnownUnit(UnitCode unit);

private:
    UnitCode m_unit;
    double m_value;
};

#endif
