#include "accelmeasparams_st.h"

#include "accelparamskeys.h"

#include <kelvora/kelvoraconvert.h>
#include "lengthreading.h"
#include "propertyrecord.h"

#include <algorithm>
#include <utility>

namespace {

const QString kPageNumKey = QLatin1String(accelParamsKeys::PageNum);
const QString kPageHeightKey = QLatin1String(accelParamsKeys::PageHeight);
const QString kPageWidthKey = QLatin1String(accelParamsKeys::PageWidth);
const QString kPageGroupKey = QLatin1String(accelParamsKeys::PageGroup);

} // namespace

accelMeasParams_st::accelMeasParams_st() = default;

accelMeasParams_st::accelMeasParams_st(const accelMeasParams_st& other)
    : DevProperty(other)
    , m_pageHeight(other.m_pageHeight)
    , m_pageWidth(other.m_pageWidth)
{
    appendCopiesOf(other.pages);
}

accelMeasParams_st& accelMeasParams_st::operator=(const accelMeasParams_st& other)
{
    if (this == &other)
        return *this;
    DevProperty::operator=(other);
    m_pageHeight = other.m_pageHeight;
    m_pageWidth = other.m_pageWidth;
    clearPages();
    appendCopiesOf(other.pages);
    return *this;
}

accelMeasParams_st::~accelMeasParams_st()
{
    clearPages();
}

void accelMeasParams_st::clearPages()
{
    // Detach first, so the vector never holds a deleted page.
    const QVector<accelParams_st*> old = std::exchange(pages, {});
    qDeleteAll(old);
}

void accelMeasParams_st::appendCopiesOf(const QVector<accelParams_st*>& source)
{
    pages.reserve(source.size());
    for (const accelParams_st* page : source)
        pages.append(new accelParams_st(*page));
}

accelParams_st* accelMeasParams_st::getPage(int index) const
{
    // Compared as unsigned, so a negative index is out of range too.
    return static_cast<unsigned>(index) < static_cast<unsigned>(pages.size()) ? pages.at(index) : nullptr;
}

int accelMeasParams_st::getPageHeight(Measure::UnitCode unit) const
{
    return readLengthIn(m_pageHeight, unit);
}

int accelMeasParams_st::getPageWidth(Measure::UnitCode unit) const
{
    return readLengthIn(m_pageWidth, unit);
}

void accelMeasParams_st::setPageHeight(Measure height)
{
    m_pageHeight.convertFrom(height);
}

void accelMeasParams_st::setPageWidth(Measure width)
{
    m_pageWidth.convertFrom(width);
}

QString accelMeasParams_st::getClass() const
{
    return QStringLiteral("accelMeasParams_st");
}

QString accelMeasParams_st::getLabel() const
{
    return tr("Measure settings");
}

QString accelMeasParams_st::getToolTips() const
{
    return tr("Measure settings");
}

void accelMeasParams_st::WritePagesHeader(PropertyMap& group, eSaveMode mode) const
{
    const bool full = writesFullRecords(mode);
    group.insert(QStringLiteral("ClassName"), getClass());
    group.insert(QStringLiteral("Type"), full ? QStringLiteral("Group") : getType());
    group.insert(QStringLiteral("Editable"), getEditable());
    group.insert(QStringLiteral("Visible"), visible);
    group.insert(QStringLiteral("Enabled"), getEnabled());
    if (!full)
        return;
    group.insert(QStringLiteral("Label"), QStringLiteral("Pages"));
    group.insert(QStringLiteral("ToolTips"), QStringLiteral("Contain all Pages to measure"));
    group.insert(QStringLiteral("StatusTip"), QString());
    group.insert(QStringLiteral("WhatsThis"), QString());
}

void accelMeasParams_st::toMap(PropertyMap& map, eSaveMode mode)
{
    using PropertyRecord::insertPropertyRecord;

    if (writesFullRecords(mode))
        WriteHeader(map, mode);
    map.insert(kPageNumKey, QMapSetSimpleValue(pages.size()));
    insertPropertyRecord(map, kPageHeightKey, m_pageHeight, mode, -1);
    insertPropertyRecord(map, kPageWidthKey, m_pageWidth, mode, -1);

    PropertyMap group;
    WritePagesHeader(group, mode);
    for (int i = 0; i < pages.size(); ++i)
        insertPropertyRecord(group, QString::number(i), *pages.at(i), mode, -1);
    map.insert(kPageGroupKey, group);
}

void accelMeasParams_st::fromMap(const PropertyMap& map)
{
    using PropertyRecord::loadPropertyRecord;

    clearPages();
    const int claimed = Kelvora::variantToInt(GetValueFromMap(map, kPageNumKey, 0));
    const int pageCount = std::clamp(claimed, 1, MaxPageCount);

    loadPropertyRecord(map, kPageHeightKey, m_pageHeight);
    loadPropertyRecord(map, kPageWidthKey, m_pageWidth);
    m_pageHeight.visible = false;
    m_pageWidth.visible = false;

    const PropertyMap group = GetSimpleValueFromMap(map, kPageGroupKey, 0, nullptr).toHash();
    pages.reserve(pageCount);
    for (int i = 0; i < pageCount; ++i) {
        auto* page = new accelParams_st;
        const QString pageKey = QString::number(i);
        page->setkey(pageKey);
        loadPropertyRecord(group, pageKey, *page);
        pages.append(page);
    }
}

bool accelMeasParams_st::checkDataCoherence(const PropertyMap& in, PropertyMap& /*out*/)
{
    const PropertyMap group = in.value(kPageGroupKey).toHash();
    bool anyRead = false;
    for (accelParams_st* page : qAsConst(pages)) {
        if (PropertyRecord::checkPropertyRecord(group, page->key(), *page))
            anyRead = true;
    }
    return anyRead;
}
