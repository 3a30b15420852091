#include <kelvora/measure.h>

#include <cstdint>
#include <numeric>

namespace {

// Length of one unit in millimetres as an exact fraction.
struct UnitRatio
{
    uint64_t millimetres;
    uint64_t per;
};

constexpr UnitRatio kRatios[] = {
    { 1, 1 },      // DefaultUnit
    { 127, 5 },    // Inch: 25.4 mm
    { 10, 1 },     // Centimetre
    { 1, 1 },      // Millimetre
    { 127, 360 },  // Point: 1/72 inch
    { 127, 30 },   // Pica: 1/6 inch
    { 1, 1000 },   // Micrometre
    { 1000, 1 },   // Metre
};

constexpr Measure::UnitCode kUnitCount = sizeof(kRatios) / sizeof(kRatios[0]);

} // namespace

Measure::Measure(UnitCode unit, double value)
    : m_unit(unit)
    , m_value(value)
{
}

Measure::~Measure() = default;

bool Measure::isKnownUnit(UnitCode unit)
{
    return unit < kUnitCount;
}

bool Measure::Convert(const Measure& src)
{
    if (!isKnownUnit(src.m_unit) || !isKnownUnit(m_unit))
        return false;
    const UnitRatio& from = kRatios[src.m_unit];
    const UnitRatio& to = kRatios[m_unit];
    // Reduce the combined ratio first: equal units multiply by 1 exactly, and
    // whole values stay whole through the multiplication.
    uint64_t numerator = from.millimetres * to.per;
    uint64_t denominator = from.per * to.millimetres;
    const uint64_t common = std::gcd(numerator, denominator);
    numerator /= common;
    denominator /= common;
    m_value = src.m_value * static_cast<double>(numerator) / static_cast<double>(denominator);
    return true;
}
