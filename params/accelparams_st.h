#ifndef LUMETRA_ACCELPARAMS_ST_H
#define LUMETRA_ACCELPARAMS_ST_H

#include "lumetra_export.h"
#include <kelvora/measparams.h>
#include <kelvora/measure.h>
#include <kelvora/measureproperty.h>

/**
 * @brief One page of a measurement job.
 *
 * The patch grid, how the inline spectrophotometer measures and calibrates, how
 * the page is dried, and the chart's resolutions. The target file and the total
 * patch count are inherited (measParams_st). Lengths are kept as Measure values
 * and read back in a unit code (Measure::Millimetre, ...), the fraction dropped.
 * The measurement options without a setter are set through the page's property
 * map (accelParamsKeys).
 */
class LUMETRA_EXPORT accelParams_st : public measParams_st
{
public:
    /// @name Construction and copies
    ///@{

    /// A page with the defaults: artificial drying, spectral and Lab results, take-up.
    accelParams_st();
    ~accelParams_st() override;
    accelParams_st(const accelParams_st&) = default;
    accelParams_st& operator=(const accelParams_st&) = default;
    ///@}

    /// @name Measurement options
    ///@{

    /// As the page's map holds them (see accelParamsKeys): take-up, UV filter, M0,
    /// drying type (0 natural, 1 artificial) and time, calibration type, result
    /// kinds (0 spectral and Lab, 1 Lab, 2 XYZ, 3 Yxy, 4 LCh).
    bool getTakeUp() const { return m_takeUp; }
    int getUVFilter() const { return m_uvFilter; }
    int getMm0() const { return m_mm0; }
    int getDryType() const { return m_dryType; }
    int getDryTime() const { return m_dryTime; }
    int getCalibType() const { return m_calibType; }
    unsigned char getMeasureType() const { return m_measureType; }
    ///@}

    /// @name The patch grid and the chart
    ///@{

    /// Patches per row (negative: the target's LGOROWLENGTH), ink channels, the
    /// chart's resolutions in dots per inch, the height of a drying block and the
    /// space between rows in hundredths of a millimetre.
    int getPatchCountPerRow() const { return m_patchCountPerRow; }
    int getNumChannels() const { return m_numChannels; }
    int getResolutionX() const { return m_resolutionX; }
    int getResolutionY() const { return m_resolutionY; }
    int getDryBlockHeight() const { return DryBlockHeight; }
    int getLineSpace() const { return LineSpace; }
    void setPatchCountPerRow(int count) { m_patchCountPerRow = count; }
    void setNumChannels(int count) { m_numChannels = count; }
    ///@}

    /// @name Lengths
    ///@{

    /// Patch size and the offsets of the page's first patch, read back in the unit
    /// code given (Measure::Millimetre, ...), the fraction dropped.
    int getPatchSizeX(Measure::UnitCode unit) const;
    int getPatchSizeY(Measure::UnitCode unit) const;
    int getOffsetX(Measure::UnitCode unit) const;
    int getOffsetY(Measure::UnitCode unit) const;
    void setPatchSizeX(Measure size);
    void setPatchSizeY(Measure size);
    ///@}

    /// @name Choices
    ///@{

    /// The page's own choice maps of the options an editor offers, filled on first use.
    ChoiceMap& GetEnumDryType();
    ChoiceMap& GetEnumMeasureType();
    ChoiceMap& GetCalibType();
    ChoiceMap& GetM0Enum();
    ChoiceMap& GetUVFilterEnum();
    ///@}

    /// @name The property object (DevProperty)
    ///@{

    /// Class name, label and tool tip, and the map form: values only or full
    /// records, as the save mode asks.
    QString getClass() const override;
    QString getLabel() const override;
    QString getToolTips() const override;
    void toMap(PropertyMap& map, eSaveMode mode) override;
    ///@}
    /// Absent keys leave members unchanged; the lengths stay hidden.
    void fromMap(const PropertyMap& map) override;
    /// Reads dry type, measure type, calibration type and drying time from
    /// their full records in `in`; true when any was there. `out` is untouched.
    bool checkDataCoherence(const PropertyMap& in, PropertyMap& out) override;

private:
    void hideLengths();

    static constexpr int DryBlockHeight = 5000;
    static constexpr int LineSpace = 0;
    static constexpr int DefaultResolution = 180;

    unsigned char m_measureType = 0;
    MeasureProperty m_patchSizeX;
    MeasureProperty m_patchSizeY;
    MeasureProperty m_offsetX;
    MeasureProperty m_offsetY;
    int m_dryType = 1;
    int m_dryTime = 0;
    int m_patchCountPerRow = 0;
    int m_numChannels = 0;
    int m_calibType = 1;
    ChoiceMap m_dryTypeEnum;
    ChoiceMap m_measureTypeEnum;
    ChoiceMap m_calibTypeEnum;
    ChoiceMap m_m0Enum;
    ChoiceMap m_uvFilterEnum;
    bool m_takeUp = true;
    // Not in the map form: a page read from a map charts at the default.
    int m_resolutionX = DefaultResolution;
    int m_resolutionY = DefaultResolution;
    int m_uvFilter = 0;
    int m_mm0 = 1;
};

#endif
