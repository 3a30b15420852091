#ifndef LUMETRA_PROPERTYRECORD_H
#define LUMETRA_PROPERTYRECORD_H

#include <kelvora/devproperty.h>

// Steps shared by the page and the job for storing property objects as
// records of a map and reading them back.
namespace PropertyRecord {

// Groups read their own record; single values find theirs in the enclosing map.
bool isGroupType(const QString& type);

// Stores the property's own map under key, with "OnRow" set to position, or
// to the entry count of map when position is -1.
void insertPropertyRecord(PropertyMap& map, const QString& key, DevProperty& property, eSaveMode mode,
                          int position);

// False, and the property unchanged, when map has no entry key.
bool loadPropertyRecord(const PropertyMap& map, const QString& key, DevProperty& property);

// Runs the property's checkDataCoherence on its record; false when absent.
bool checkPropertyRecord(const PropertyMap& in, const QString& key, DevProperty& property);

// Stores the "Value" of the full record under key into member; false when the
// record or its value is absent. Unreadable values store 0; the byte variant
// keeps the low 8 bits.
bool readRecordValue(const PropertyMap& map, const QString& key, int& member);
bool readRecordValue(const PropertyMap& map, const QString& key, unsigned char& member);

} // namespace PropertyRecord

#endif
