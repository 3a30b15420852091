// Decodes arbitrary bytes into a property map and reads a page and a job from
// it, then writes both back in the value and the full form.
#include "accelmeasparams_st.h"
#include "accelparams_st.h"
#include <kelvora/kelvoraconvert.h>

#include <QVariantList>
#include <QVariantMap>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// The keys the objects look for, so that mutations reach the values behind them.
const char* const kKeys[] = {
    "accelParamsDryType", "accelParamsMeasType", "accelParamsCalibType", "accelParamsDryTime",
    "accelParamsUVFilter", "accelParamsMm0", "accelParamsPatchForRow", "accelParamsChannelNum",
    "accelParamsDimPatchX", "accelParamsDimPatchY", "accelParamsOffsetX", "accelParamsOffsetY",
    "accelParamsTakeUp", "measParamsIt8FilePath", "measParamsTotalPatchCount", "MeasPageNum",
    "accelParamsPageHeight", "accelParamsPageWidht", "MeasPageGroup", "Value", "Unit", "Visible",
    "Editable", "Enabled", "OnRow", "Type", "ClassName", "0", "1", "2"};
constexpr uint8_t kKeyCount = sizeof kKeys / sizeof kKeys[0];

// Bounds that keep each input quick: nesting as deep as a job's records, a
// few entries per map, and jobs of a few pages (more only repeat the work of
// one, and the job's own page bound makes a run take a second).
constexpr int kMaxDepth = 4;
constexpr uint8_t kMaxEntries = 16;
constexpr int kMaxPages = 64;

// Each entry: a key byte (a known key, or the length of a short text key),
// a kind byte and the value's bytes. Missing bytes read as zero.
class MapDecoder
{
public:
    MapDecoder(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    PropertyMap map(int depth)
    {
        PropertyMap result;
        for (uint8_t n = byte() % kMaxEntries; n > 0 && m_pos < m_size; --n) {
            const QString k = key();
            result.insert(k, value(depth));
        }
        return result;
    }

private:
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }

    template <typename T>
    T number()
    {
        unsigned char bytes[sizeof(T)] = {};
        for (unsigned char& b : bytes)
            b = byte();
        T value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

    QString text(uint8_t length)
    {
        QString result;
        for (; length > 0; --length)
            result += QChar(QLatin1Char(char(byte())));
        return result;
    }

    QString key()
    {
        const uint8_t b = byte();
        return b < kKeyCount ? QString::fromLatin1(kKeys[b]) : text(b % 8);
    }

    QVariant value(int depth)
    {
        const bool nested = depth < kMaxDepth;
        switch (byte() % 12) {
        case 0:
            return number<int32_t>();
        case 1:
            return number<uint32_t>();
        case 2:
            return qlonglong(number<int64_t>());
        case 3:
            return qulonglong(number<uint64_t>());
        case 4:
            return number<double>();
        case 5:
            return number<float>();
        case 6:
            return (byte() & 1) != 0;
        case 7:
            return text(byte() % 16);
        case 8:
            return nested ? QVariant(map(depth + 1)) : QVariant();
        case 9: {
            // Records also arrive as ordered maps.
            if (!nested)
                return QVariant();
            const PropertyMap hash = map(depth + 1);
            QVariantMap ordered;
            for (auto entry = hash.cbegin(); entry != hash.cend(); ++entry)
                ordered.insert(entry.key(), entry.value());
            return ordered;
        }
        case 10: {
            QVariantList list;
            for (uint8_t n = byte() % 4; n > 0 && nested; --n)
                list.append(value(depth + 1));
            return list;
        }
        default:
            return QVariant();
        }
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Reads the map into the object, checks it and writes it back in both save modes.
template <typename Params>
void readAndWrite(Params& params, const PropertyMap& map, PropertyMap& values, PropertyMap& records)
{
    PropertyMap unused;
    params.fromMap(map);
    params.checkDataCoherence(map, unused);
    params.toMap(values, eSaveValues);
    params.toMap(records, eSaveFullRecords);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MapDecoder decoder(data, size);
    const PropertyMap map = decoder.map(0);

    accelParams_st page;
    PropertyMap pageValues;
    PropertyMap pageRecords;
    readAndWrite(page, map, pageValues, pageRecords);

    if (Kelvora::variantToInt(DevProperty::GetValueFromMap(map, QStringLiteral("MeasPageNum"), 0)) > kMaxPages)
        return 0;
    accelMeasParams_st job;
    PropertyMap jobValues;
    PropertyMap jobRecords;
    readAndWrite(job, map, jobValues, jobRecords);
    // What the job wrote is read again, as the instrument reads the controller's job.
    accelMeasParams_st copy;
    PropertyMap unused;
    copy.fromMap(jobValues);
    copy.checkDataCoherence(jobRecords, unused);
    return 0;
}
