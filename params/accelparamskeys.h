#ifndef LUMETRA_ACCELPARAMSKEYS_H
#define LUMETRA_ACCELPARAMSKEYS_H

/**
 * @brief The property-map keys of a page (accelParams_st) and a job (accelMeasParams_st).
 *
 * The measurement options without a setter (measurement, calibration and drying
 * type, drying time, UV filter, M0, take-up, offsets) are set through a page's
 * map: write the page with toMap(), change the values under these keys with
 * DevProperty::QMapSetSimpleValue (lengths as length records) and read it back
 * with fromMap(). Values, ranges and defaults: see accelParams_st.
 */
namespace accelParamsKeys {

/// Drying: 0 natural, 1 artificial (a drying strip).
inline constexpr char DryType[] = "accelParamsDryType";
/// Result kinds: 0 spectral and Lab, 1 Lab, 2 XYZ, 3 Yxy, 4 LCh.
inline constexpr char MeasType[] = "accelParamsMeasType";
/// Calibration type.
inline constexpr char CalibType[] = "accelParamsCalibType";
/// Drying time of an artificially dried page.
inline constexpr char DryTime[] = "accelParamsDryTime";
/// UV filter: 0 off, 1 on.
inline constexpr char UVFilter[] = "accelParamsUVFilter";
/// M0 measurement condition: 0 off, 1 on.
inline constexpr char Mm0[] = "accelParamsMm0";
/// Patches per row (accelParams_st::setPatchCountPerRow).
inline constexpr char PatchForRow[] = "accelParamsPatchForRow";
/// Ink channels (accelParams_st::setNumChannels).
inline constexpr char ChannelNum[] = "accelParamsChannelNum";
/// Patch width, a length record.
inline constexpr char DimPatchX[] = "accelParamsDimPatchX";
/// Patch height, a length record.
inline constexpr char DimPatchY[] = "accelParamsDimPatchY";
/// Offset of the first patch across the paper, a length record.
inline constexpr char OffsetX[] = "accelParamsOffsetX";
/// Offset of the first patch along the paper, a length record.
inline constexpr char OffsetY[] = "accelParamsOffsetY";
/// Whether the page runs backwards onto a take-up reel.
inline constexpr char TakeUp[] = "accelParamsTakeUp";

/// The job's page count.
inline constexpr char PageNum[] = "MeasPageNum";
/// Paper height, a length record.
inline constexpr char PageHeight[] = "accelParamsPageHeight";
/// Paper width, a length record. Misspelt, but it is the key maps in use carry.
inline constexpr char PageWidth[] = "accelParamsPageWidht";
/// The group that holds the job's pages.
inline constexpr char PageGroup[] = "MeasPageGroup";

} // namespace accelParamsKeys

#endif
