#ifndef LUMETRA_DEVPROPERTY_H
#define LUMETRA_DEVPROPERTY_H

#include "kelvora_export.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <QVariant>

// The form every property object writes itself to and reads itself from.
typedef QHash<QString, QVariant> PropertyMap;
// Choices of an enumerated record: name to value, kept ordered by name.
typedef QMap<QString, QVariant> ChoiceMap;

// How toMap writes a property. Only bit 0 is read: set, full records for an
// editor (value, label, limits or choices, flags); clear, the bare values, the
// form in which objects hand parameters to each other.
enum eSaveMode : unsigned int {
    eSaveValues = 0x4,
    eSaveFullRecords = 0x5
};

inline bool writesFullRecords(eSaveMode mode)
{
    return (mode & 0x1u) != 0;
}

// Base of every property object: a key, presentation flags and the map form.
// The virtual operations keep this order; host programs rely on the layout.
class KELVORA_EXPORT DevProperty
{
public:
    DevProperty();
    virtual ~DevProperty();

    DevProperty(const DevProperty&) = default;
    DevProperty& operator=(const DevProperty&) = default;

    virtual QString key() const;
    virtual void toMap(PropertyMap& map, eSaveMode mode) = 0;
    virtual void fromMap(const PropertyMap& map) = 0;
    // Reads the values of full records in `in` back into the object; true when
    // any was found.
    virtual bool checkDataCoherence(const PropertyMap& in, PropertyMap& out) = 0;
    // A property object is a group of records unless it holds a single value.
    virtual QString getType() const;
    virtual QString getClass() const = 0;
    virtual QString getLabel() const = 0;
    virtual QString getToolTips() const = 0;
    virtual QString getRootIcon() const;
    virtual QString getStatusTip() const;
    virtual QString getWhatsThis() const;
    virtual bool getEditable() const;
    virtual void setEditable(bool editable);
    virtual bool getEnabled() const;
    virtual void setEnabled(bool enabled);
    virtual unsigned GetUniqueHashString() const;
    virtual bool getSelectable() const;
    virtual void setSelectable(bool selectable);
    // Class, type and flags of the object; labels and tips too for full records.
    virtual void WriteHeader(PropertyMap& map, eSaveMode mode) const;

    void setkey(const QString& key);

    static QString tr(const char* text);

    // The value-only entry: the bare value, told apart from a full record by
    // not being a map.
    static QVariant QMapSetSimpleValue(const QVariant& value);
    static PropertyMap QMapIntProp(const QString& label, const QString& toolTips, int value, double min, double max,
                                   int step, bool editable, bool visible, bool enabled, const QString& statusTip,
                                   const QString& whatsThis);
    static PropertyMap QMapBoolProp(const QString& label, const QString& toolTips, bool value, bool editable,
                                    bool visible, bool enabled, const QString& statusTip, const QString& whatsThis);
    static PropertyMap QMapEnumProp(const QString& label, const QString& toolTips, const ChoiceMap& choices,
                                    const QVariant& value, bool editable, bool visible, bool enabled,
                                    bool multiSelect, const ChoiceMap& extra, const QString& statusTip,
                                    const QString& whatsThis);
    // Stores a record with its display position under "OnRow".
    static void insertOrderedProperty(PropertyMap& map, const QString& key, const PropertyMap& record,
                                      int position);

    // The value under key, taken out of its record when the entry is a full
    // record; fallback when the key is absent.
    static QVariant GetValueFromMap(const PropertyMap& map, const QString& key, const QVariant& fallback);
    // The entry under key as stored; fallback when absent. ok, when given,
    // tells whether the key was found.
    static QVariant GetSimpleValueFromMap(const PropertyMap& map, const QString& key, const QVariant& fallback,
                                          bool* ok);

    // The key a full record keeps its value under.
    static constexpr const char* ValueKey = "Value";

    bool visible = true;

private:
    QString m_key;
    bool m_editable = true;
    bool m_enabled = true;
    bool m_selectable = true;
};

#endif
