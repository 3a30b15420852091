#include <kelvora/measureproperty.h>

namespace {

const char kUnitKey[] = "Unit";

} // namespace

MeasureProperty::MeasureProperty(Measure::UnitCode unit, double value)
    : m_measure(unit, value)
{
}

MeasureProperty::~MeasureProperty() = default;

bool MeasureProperty::convertFrom(const Measure& src)
{
    return m_measure.Convert(src);
}

void MeasureProperty::toMap(PropertyMap& map, eSaveMode mode)
{
    if (writesFullRecords(mode))
        WriteHeader(map, mode);
    map.insert(QString::fromLatin1(ValueKey), m_measure.getValue());
    map.insert(QString::fromLatin1(kUnitKey), qulonglong(m_measure.getUnit()));
}

void MeasureProperty::fromMap(const PropertyMap& map)
{
    readRecord(map);
}

bool MeasureProperty::checkDataCoherence(const PropertyMap& in, PropertyMap& /*out*/)
{
    return readRecord(in);
}

QString MeasureProperty::getType() const
{
    return QStringLiteral("Measure");
}

QString MeasureProperty::getClass() const
{
    return QStringLiteral("MeasureProperty");
}

QString MeasureProperty::getLabel() const
{
    return key();
}

QString MeasureProperty::getToolTips() const
{
    return getLabel();
}

bool MeasureProperty::readRecord(const PropertyMap& map)
{
    const auto entry = map.constFind(key());
    if (entry == map.constEnd())
        return false;
    const PropertyMap record = entry->toHash();
    const auto value = record.constFind(QString::fromLatin1(ValueKey));
    if (value == record.constEnd())
        return false;
    // A record restores the unit it was written in along with the value, and
    // the flags a full record carries; anything unreadable reads as 0.
    const auto unit = record.constFind(QString::fromLatin1(kUnitKey));
    const Measure::UnitCode unitCode = unit == record.constEnd() ? m_measure.getUnit()
                                                                 : Measure::UnitCode{unit->toULongLong()};
    bool ok = false;
    const double length = value->toDouble(&ok);
    m_measure = Measure(unitCode, ok ? length : 0.0);
    visible = record.value(QStringLiteral("Visible"), visible).toBool();
    setEditable(record.value(QStringLiteral("Editable"), getEditable()).toBool());
    setEnabled(record.value(QStringLiteral("Enabled"), getEnabled()).toBool());
    return true;
}
