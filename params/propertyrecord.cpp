#include "propertyrecord.h"

#include <kelvora/kelvoraconvert.h>

namespace PropertyRecord {

bool isGroupType(const QString& type)
{
    return type == QLatin1String("QmlGroup") || type == QLatin1String("Group");
}

void insertPropertyRecord(PropertyMap& map, const QString& key, DevProperty& property, eSaveMode mode,
                          int position)
{
    PropertyMap own;
    property.toMap(own, mode);
    own.insert(QStringLiteral("OnRow"), position != -1 ? position : map.size());
    map.insert(key, own);
}

bool loadPropertyRecord(const PropertyMap& map, const QString& key, DevProperty& property)
{
    const auto entry = map.constFind(key);
    if (entry == map.constEnd())
        return false;
    if (isGroupType(property.getType())) {
        property.fromMap(entry->toHash());
    } else {
        property.setkey(key);
        property.fromMap(map);
    }
    return true;
}

bool checkPropertyRecord(const PropertyMap& in, const QString& key, DevProperty& property)
{
    const auto entry = in.constFind(key);
    if (entry == in.constEnd())
        return false;
    PropertyMap unused;
    if (isGroupType(property.getType()))
        return property.checkDataCoherence(entry->toHash(), unused);
    return property.checkDataCoherence(in, unused);
}

bool readRecordValue(const PropertyMap& map, const QString& key, int& member)
{
    const auto entry = map.constFind(key);
    if (entry == map.constEnd())
        return false;
    const PropertyMap record = entry->toHash();
    const auto value = record.constFind(QString::fromLatin1(DevProperty::ValueKey));
    if (value == record.constEnd())
        return false;
    member = Kelvora::variantToInt(*value);
    return true;
}

bool readRecordValue(const PropertyMap& map, const QString& key, unsigned char& member)
{
    int wide = 0;
    if (!readRecordValue(map, key, wide))
        return false;
    member = static_cast<unsigned char>(wide);
    return true;
}

} // namespace PropertyRecord
