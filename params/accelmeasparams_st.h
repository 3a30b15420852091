#ifndef LUMETRA_ACCELMEASPARAMS_ST_H
#define LUMETRA_ACCELMEASPARAMS_ST_H

#include "accelparams_st.h"
#include <kelvora/devproperty.h>
#include "lumetra_export.h"
#include <kelvora/measure.h>
#include <kelvora/measureproperty.h>

#include <QVector>

/**
 * @brief One measurement job: the paper size and its pages in job order.
 *
 * The job owns its pages; a copy owns copies of them. accelJobRequest fills a
 * job of identical pages.
 */
class LUMETRA_EXPORT accelMeasParams_st : public DevProperty
{
public:
    /// Reading a map creates at most this many pages, whatever count it claims.
    static constexpr int MaxPageCount = 10000;

    /// @name Construction and copies
    ///@{

    /// An empty job; a copy holds copies of the pages.
    accelMeasParams_st();
    accelMeasParams_st(const accelMeasParams_st& other);
    accelMeasParams_st& operator=(const accelMeasParams_st& other);
    ~accelMeasParams_st() override;
    ///@}

    /// The page at index, null outside the pages. The job keeps ownership; the
    /// pointer lives until the next fromMap, assignment or destruction.
    accelParams_st* getPage(int index) const;

    /// @name Paper
    ///@{

    /// The paper's size, read back in the unit code given (Measure::Millimetre, ...).
    int getPageHeight(Measure::UnitCode unit) const;
    int getPageWidth(Measure::UnitCode unit) const;
    void setPageHeight(Measure height);
    void setPageWidth(Measure width);
    ///@}

    /// @name The property object (DevProperty)
    ///@{

    /// Class name, label and tool tip, and the map form with the pages in a group.
    QString getClass() const override;
    QString getLabel() const override;
    QString getToolTips() const override;
    void toMap(PropertyMap& map, eSaveMode mode) override;
    ///@}
    /// Replaces the pages with those of the map: one page at least, and pages
    /// the map's group lacks keep their defaults.
    void fromMap(const PropertyMap& map) override;
    /// Runs each page's checkDataCoherence on its record in the map's page
    /// group; true when any page read a value. `out` is untouched.
    bool checkDataCoherence(const PropertyMap& in, PropertyMap& out) override;

    /// The pages in job order. Appending hands the page (never null) to the job.
    QVector<accelParams_st*> pages;

private:
    void clearPages();
    void appendCopiesOf(const QVector<accelParams_st*>& source);
    void WritePagesHeader(PropertyMap& group, eSaveMode mode) const;

    MeasureProperty m_pageHeight;
    MeasureProperty m_pageWidth;
};

#endif
