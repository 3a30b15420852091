#ifndef LUMETRA_MEASPARAMS_H
#define LUMETRA_MEASPARAMS_H

#include "devproperty.h"
#include "kelvora_export.h"

// Base of a measured page: the IT8 target it was printed from and the number
// of patches on it. Both travel as plain values in either map form.
class KELVORA_EXPORT measParams_st : public DevProperty
{
public:
    measParams_st();
    ~measParams_st() override;

    measParams_st(const measParams_st&) = default;
    measParams_st& operator=(const measParams_st&) = default;

    QString getIt8FilePath() const { return m_it8FilePath; }
    void setIt8FilePath(const QString& path) { m_it8FilePath = path; }
    int getTotalPatchCount() const { return m_totalPatchCount; }
    void setTotalPatchCount(int count) { m_totalPatchCount = count; }

    void toMap(PropertyMap& map, eSaveMode mode) override;
    // Absent keys leave the values as they are.
    void fromMap(const PropertyMap& map) override;

private:
    int m_totalPatchCount = 0;
    QString m_it8FilePath;
};

#endif
