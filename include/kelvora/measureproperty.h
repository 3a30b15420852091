#ifndef LUMETRA_MEASUREPROPERTY_H
#define LUMETRA_MEASUREPROPERTY_H

#include "devproperty.h"
#include "kelvora_export.h"
#include "measure.h"

// A property holding one length. It writes its record's entries into the map
// it is handed and finds its record under its own key when reading.
class KELVORA_EXPORT MeasureProperty : public DevProperty
{
public:
    explicit MeasureProperty(Measure::UnitCode unit = Measure::DefaultUnit, double value = 0.0);
    ~MeasureProperty() override;

    MeasureProperty(const MeasureProperty&) = default;
    MeasureProperty& operator=(const MeasureProperty&) = default;

    const Measure& getMeasure() const { return m_measure; }
    // The stored measure takes the length of src in its own unit; false when
    // either unit is unknown.
    bool convertFrom(const Measure& src);

    // "Value" and "Unit"; full records add the header entries.
    void toMap(PropertyMap& map, eSaveMode mode) override;
    // Value, unit and any flags of the record under key(); an absent record
    // changes nothing.
    void fromMap(const PropertyMap& map) override;
    bool checkDataCoherence(const PropertyMap& in, PropertyMap& out) override;
    QString getType() const override;
    QString getClass() const override;
    QString getLabel() const override;
    QString getToolTips() const override;

private:
    bool readRecord(const PropertyMap& map);

    Measure m_measure;
};

#endif
