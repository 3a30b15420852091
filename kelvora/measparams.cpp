#include <kelvora/measparams.h>

#include <kelvora/kelvoraconvert.h>

namespace {

const char kIt8FilePathKey[] = "measParamsIt8FilePath";
const char kTotalPatchCountKey[] = "measParamsTotalPatchCount";

} // namespace

measParams_st::measParams_st() = default;

measParams_st::~measParams_st() = default;

void measParams_st::toMap(PropertyMap& map, eSaveMode /*mode*/)
{
    map.insert(QString::fromLatin1(kIt8FilePathKey), QMapSetSimpleValue(m_it8FilePath));
    map.insert(QString::fromLatin1(kTotalPatchCountKey), QMapSetSimpleValue(m_totalPatchCount));
}

void measParams_st::fromMap(const PropertyMap& map)
{
    m_it8FilePath = GetValueFromMap(map, QString::fromLatin1(kIt8FilePathKey), m_it8FilePath).toString();
    m_totalPatchCount =
        Kelvora::variantToInt(GetValueFromMap(map, QString::fromLatin1(kTotalPatchCountKey), m_totalPatchCount));
}
