#include "accelparams_st.h"

#include "accelparamskeys.h"

#include <kelvora/kelvoraconvert.h>
#include "lengthreading.h"
#include "propertyrecord.h"

#include <initializer_list>
#include <utility>

namespace {

const QString kDryTypeKey = QLatin1String(accelParamsKeys::DryType);
const QString kMeasTypeKey = QLatin1String(accelParamsKeys::MeasType);
const QString kCalibTypeKey = QLatin1String(accelParamsKeys::CalibType);
const QString kDryTimeKey = QLatin1String(accelParamsKeys::DryTime);
const QString kUVFilterKey = QLatin1String(accelParamsKeys::UVFilter);
const QString kMm0Key = QLatin1String(accelParamsKeys::Mm0);
const QString kPatchForRowKey = QLatin1String(accelParamsKeys::PatchForRow);
const QString kChannelNumKey = QLatin1String(accelParamsKeys::ChannelNum);
const QString kDimPatchXKey = QLatin1String(accelParamsKeys::DimPatchX);
const QString kDimPatchYKey = QLatin1String(accelParamsKeys::DimPatchY);
const QString kOffsetXKey = QLatin1String(accelParamsKeys::OffsetX);
const QString kOffsetYKey = QLatin1String(accelParamsKeys::OffsetY);
const QString kTakeUpKey = QLatin1String(accelParamsKeys::TakeUp);

// Display positions of the records an editor shows in a fixed order.
const int kDryTimePosition = 4;
const int kMm0Position = 5;
const int kUVFilterPosition = 6;

ChoiceMap& filledOnce(ChoiceMap& choices, std::initializer_list<std::pair<const char*, int>> pairs)
{
    if (choices.isEmpty()) {
        for (const auto& pair : pairs)
            choices.insert(QString::fromLatin1(pair.first), pair.second);
    }
    return choices;
}

PropertyMap choiceRecord(const char* text, const ChoiceMap& choices, int value)
{
    const QString label = DevProperty::tr(text);
    return DevProperty::QMapEnumProp(label, label, choices, QVariant(value), true, true, true, false, ChoiceMap(),
                                     QString(), QString());
}

int intFromMap(const PropertyMap& map, const QString& key, int current)
{
    return Kelvora::variantToInt(DevProperty::GetValueFromMap(map, key, current));
}

} // namespace

accelParams_st::accelParams_st()
{
    hideLengths();
}

accelParams_st::~accelParams_st() = default;

void accelParams_st::hideLengths()
{
    m_patchSizeX.visible = false;
    m_patchSizeY.visible = false;
    m_offsetX.visible = false;
    m_offsetY.visible = false;
}

int accelParams_st::getPatchSizeX(Measure::UnitCode unit) const
{
    return readLengthIn(m_patchSizeX, unit);
}

int accelParams_st::getPatchSizeY(Measure::UnitCode unit) const
{
    return readLengthIn(m_patchSizeY, unit);
}

int accelParams_st::getOffsetX(Measure::UnitCode unit) const
{
    return readLengthIn(m_offsetX, unit);
}

int accelParams_st::getOffsetY(Measure::UnitCode unit) const
{
    return readLengthIn(m_offsetY, unit);
}

void accelParams_st::setPatchSizeX(Measure size)
{
    m_patchSizeX.convertFrom(size);
}

void accelParams_st::setPatchSizeY(Measure size)
{
    m_patchSizeY.convertFrom(size);
}

ChoiceMap& accelParams_st::GetEnumDryType()
{
    return filledOnce(m_dryTypeEnum, { { "Natural", 0 }, { "Artificial", 1 } });
}

ChoiceMap& accelParams_st::GetEnumMeasureType()
{
    return filledOnce(m_measureTypeEnum, { { "Spectral", 0 },
                                           { "Type Lab", 1 },
                                           { "Color Type XYZ", 2 },
                                           { "Color Type Yxy", 3 },
                                           { "Color Type Lch", 4 } });
}

ChoiceMap& accelParams_st::GetCalibType()
{
    return filledOnce(m_calibTypeEnum,
                      { { "Not Calibrate", 0 }, { "Calibrate Once", 1 }, { "Each Pach Group", 2 }, { "Each Line", 3 } });
}

ChoiceMap& accelParams_st::GetM0Enum()
{
    return filledOnce(m_m0Enum, { { "ON", 1 }, { "OFF", 0 } });
}

ChoiceMap& accelParams_st::GetUVFilterEnum()
{
    return filledOnce(m_uvFilterEnum, { { "ON", 1 }, { "OFF", 0 } });
}

QString accelParams_st::getClass() const
{
    return QStringLiteral("accelParams_st");
}

QString accelParams_st::getLabel() const
{
    return tr("Measure settings");
}

QString accelParams_st::getToolTips() const
{
    return tr("Measure settings");
}

void accelParams_st::toMap(PropertyMap& map, eSaveMode mode)
{
    using PropertyRecord::insertPropertyRecord;

    measParams_st::toMap(map, mode);
    if (writesFullRecords(mode)) {
        WriteHeader(map, mode);
        map.insert(kDryTypeKey, choiceRecord("Dry Type", GetEnumDryType(), m_dryType));
        map.insert(kMeasTypeKey, choiceRecord("Measure Type", GetEnumMeasureType(), m_measureType));
        map.insert(kCalibTypeKey, choiceRecord("Calibration Type", GetCalibType(), m_calibType));
        const QString dryTimeLabel = tr("Drying Time");
        insertOrderedProperty(map, kDryTimeKey,
                              QMapIntProp(dryTimeLabel, dryTimeLabel, m_dryTime, 0.0, 100.0, 1, true, true, true,
                                          QString(), QString()),
                              kDryTimePosition);
        insertOrderedProperty(map, kMm0Key, choiceRecord("M0", GetM0Enum(), m_mm0), kMm0Position);
        insertOrderedProperty(map, kUVFilterKey, choiceRecord("UV Filter", GetUVFilterEnum(), m_uvFilter),
                              kUVFilterPosition);
    } else {
        map.insert(kDryTypeKey, QMapSetSimpleValue(m_dryType));
        map.insert(kMeasTypeKey, QMapSetSimpleValue(int(m_measureType)));
        map.insert(kCalibTypeKey, QMapSetSimpleValue(m_calibType));
        map.insert(kDryTimeKey, QMapSetSimpleValue(m_dryTime));
        map.insert(kUVFilterKey, QMapSetSimpleValue(m_uvFilter));
        map.insert(kMm0Key, QMapSetSimpleValue(m_mm0));
    }
    map.insert(kPatchForRowKey, QMapSetSimpleValue(m_patchCountPerRow));
    map.insert(kChannelNumKey, QMapSetSimpleValue(m_numChannels));
    insertPropertyRecord(map, kDimPatchXKey, m_patchSizeX, mode, -1);
    insertPropertyRecord(map, kDimPatchYKey, m_patchSizeY, mode, -1);
    insertPropertyRecord(map, kOffsetXKey, m_offsetX, mode, -1);
    insertPropertyRecord(map, kOffsetYKey, m_offsetY, mode, -1);
    map.insert(kTakeUpKey, QMapSetSimpleValue(m_takeUp));
}

void accelParams_st::fromMap(const PropertyMap& map)
{
    using PropertyRecord::loadPropertyRecord;

    measParams_st::fromMap(map);
    // The measure type is a byte: only the low 8 bits of the stored int count.
    m_measureType = static_cast<unsigned char>(intFromMap(map, kMeasTypeKey, m_measureType));
    m_dryType = intFromMap(map, kDryTypeKey, m_dryType);
    m_dryTime = intFromMap(map, kDryTimeKey, m_dryTime);
    m_patchCountPerRow = intFromMap(map, kPatchForRowKey, m_patchCountPerRow);
    m_numChannels = intFromMap(map, kChannelNumKey, m_numChannels);
    m_calibType = intFromMap(map, kCalibTypeKey, m_calibType);
    m_takeUp = GetValueFromMap(map, kTakeUpKey, m_takeUp).toBool();
    m_uvFilter = intFromMap(map, kUVFilterKey, m_uvFilter);
    m_mm0 = intFromMap(map, kMm0Key, m_mm0);
    loadPropertyRecord(map, kDimPatchXKey, m_patchSizeX);
    loadPropertyRecord(map, kDimPatchYKey, m_patchSizeY);
    loadPropertyRecord(map, kOffsetXKey, m_offsetX);
    loadPropertyRecord(map, kOffsetYKey, m_offsetY);
    hideLengths();
}

bool accelParams_st::checkDataCoherence(const PropertyMap& in, PropertyMap& /*out*/)
{
    using PropertyRecord::readRecordValue;

    // Every record is read, so no short-circuiting between them.
    const bool dryType = readRecordValue(in, kDryTypeKey, m_dryType);
    const bool measureType = readRecordValue(in, kMeasTypeKey, m_measureType);
    const bool calibType = readRecordValue(in, kCalibTypeKey, m_calibType);
    const bool dryTime = readRecordValue(in, kDryTimeKey, m_dryTime);
    return dryType || measureType || calibType || dryTime;
}
