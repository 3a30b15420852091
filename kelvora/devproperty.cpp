#include <kelvora/devproperty.h>

#include <QCoreApplication>

namespace {

// The entries every full record carries, whatever its kind.
PropertyMap recordOf(const QString& type, const QString& label, const QString& toolTips, const QVariant& value,
                     bool editable, bool visible, bool enabled, const QString& statusTip, const QString& whatsThis)
{
    PropertyMap record;
    record.insert(QStringLiteral("Type"), type);
    record.insert(QStringLiteral("Label"), label);
    record.insert(QStringLiteral("ToolTips"), toolTips);
    record.insert(QString::fromLatin1(DevProperty::ValueKey), value);
    record.insert(QStringLiteral("Editable"), editable);
    record.insert(QStringLiteral("Visible"), visible);
    record.insert(QStringLiteral("Enabled"), enabled);
    record.insert(QStringLiteral("StatusTip"), statusTip);
    record.insert(QStringLiteral("WhatsThis"), whatsThis);
    return record;
}

} // namespace

DevProperty::DevProperty() = default;

DevProperty::~DevProperty() = default;

QString DevProperty::key() const
{
    return m_key;
}

void DevProperty::setkey(const QString& key)
{
    m_key = key;
}

QString DevProperty::getType() const
{
    return QStringLiteral("Group");
}

QString DevProperty::getRootIcon() const
{
    return QString();
}

QString DevProperty::getStatusTip() const
{
    return QString();
}

QString DevProperty::getWhatsThis() const
{
    return QString();
}

bool DevProperty::getEditable() const
{
    return m_editable;
}

void DevProperty::setEditable(bool editable)
{
    m_editable = editable;
}

bool DevProperty::getEnabled() const
{
    return m_enabled;
}

void DevProperty::setEnabled(bool enabled)
{
    m_enabled = enabled;
}

unsigned DevProperty::GetUniqueHashString() const
{
    return qHash(getClass() + QLatin1Char('/') + key());
}

bool DevProperty::getSelectable() const
{
    return m_selectable;
}

void DevProperty::setSelectable(bool selectable)
{
    m_selectable = selectable;
}

void DevProperty::WriteHeader(PropertyMap& map, eSaveMode mode) const
{
    map.insert(QStringLiteral("ClassName"), getClass());
    map.insert(QStringLiteral("Type"), getType());
    map.insert(QStringLiteral("Editable"), getEditable());
    map.insert(QStringLiteral("Visible"), visible);
    map.insert(QStringLiteral("Enabled"), getEnabled());
    if (!writesFullRecords(mode))
        return;
    map.insert(QStringLiteral("Label"), getLabel());
    map.insert(QStringLiteral("ToolTips"), getToolTips());
    map.insert(QStringLiteral("StatusTip"), getStatusTip());
    map.insert(QStringLiteral("WhatsThis"), getWhatsThis());
    map.insert(QStringLiteral("RootIcon"), getRootIcon());
    map.insert(QStringLiteral("Selectable"), getSelectable());
}

QString DevProperty::tr(const char* text)
{
    return QCoreApplication::translate("DevProperty", text);
}

QVariant DevProperty::QMapSetSimpleValue(const QVariant& value)
{
    return value;
}

PropertyMap DevProperty::QMapIntProp(const QString& label, const QString& toolTips, int value, double min,
                                     double max, int step, bool editable, bool visible, bool enabled,
                                     const QString& statusTip, const QString& whatsThis)
{
    PropertyMap record =
        recordOf(QStringLiteral("Int"), label, toolTips, value, editable, visible, enabled, statusTip, whatsThis);
    record.insert(QStringLiteral("Minimum"), min);
    record.insert(QStringLiteral("Maximum"), max);
    record.insert(QStringLiteral("Step"), step);
    return record;
}

PropertyMap DevProperty::QMapBoolProp(const QString& label, const QString& toolTips, bool value, bool editable,
                                      bool visible, bool enabled, const QString& statusTip, const QString& whatsThis)
{
    return recordOf(QStringLiteral("Bool"), label, toolTips, value, editable, visible, enabled, statusTip, whatsThis);
}

PropertyMap DevProperty::QMapEnumProp(const QString& label, const QString& toolTips, const ChoiceMap& choices,
                                      const QVariant& value, bool editable, bool visible, bool enabled,
                                      bool multiSelect, const ChoiceMap& extra, const QString& statusTip,
                                      const QString& whatsThis)
{
    PropertyMap record =
        recordOf(QStringLiteral("Enum"), label, toolTips, value, editable, visible, enabled, statusTip, whatsThis);
    record.insert(QStringLiteral("Choices"), choices);
    record.insert(QStringLiteral("MultiSelect"), multiSelect);
    record.insert(QStringLiteral("Extra"), extra);
    return record;
}

void DevProperty::insertOrderedProperty(PropertyMap& map, const QString& key, const PropertyMap& record,
                                        int position)
{
    PropertyMap ordered = record;
    ordered.insert(QStringLiteral("OnRow"), position);
    map.insert(key, ordered);
}

QVariant DevProperty::GetValueFromMap(const PropertyMap& map, const QString& key, const QVariant& fallback)
{
    const auto entry = map.constFind(key);
    if (entry == map.constEnd())
        return fallback;
    const int type = entry->userType();
    if (type == QMetaType::QVariantHash || type == QMetaType::QVariantMap) {
        const PropertyMap record = entry->toHash();
        const auto value = record.constFind(QString::fromLatin1(ValueKey));
        if (value != record.constEnd())
            return *value;
    }
    return *entry;
}

QVariant DevProperty::GetSimpleValueFromMap(const PropertyMap& map, const QString& key, const QVariant& fallback,
                                            bool* ok)
{
    const auto entry = map.constFind(key);
    const bool found = entry != map.constEnd();
    if (ok)
        *ok = found;
    return found ? *entry : fallback;
}
