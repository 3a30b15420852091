#ifndef LUMETRA_TESTS_SIMHARNESS_H
#define LUMETRA_TESTS_SIMHARNESS_H

#include "accelrecords.h"
#include "accelsdk.h"
#include "csdklibrary.h"

#include <QStringList>
#include <QTemporaryDir>

#include <ostream>
#include <string>

// A private copy of the simulator in a temporary folder, beside the scenario
// text given, loaded and bound through the driver's loader.
class SimHarness
{
public:
    explicit SimHarness(const std::string& scenario = std::string());

    // The answer of ACCEL_LoadFunction (0 = table filled).
    uint32_t bindAnswer() const { return m_bindAnswer; }
    const AccelFunctionTable& sdk() const { return m_table; }
    CSdkLibrary& library() { return m_library; }
    QString folder() const { return m_folder.path(); }

    // LoadLibraryInitialize, Initialize and SetPrinter; null on any failure.
    AccelHandle start();
    // Open, CreateDoc, the two names and StartDoc as the driver does them; 0 on failure.
    int32_t startDocument(AccelHandle h);
    QStringList traceLines() const;

private:
    QTemporaryDir m_folder;
    CSdkLibrary m_library;
    AccelFunctionTable m_table = {};
    uint32_t m_bindAnswer = ~0u;
    QByteArray m_sdkFolder;
};

// Base of the rows of a table of cases: gtest names and prints each row by its name.
struct NamedCase
{
    const char* name;

    friend std::ostream& operator<<(std::ostream& out, const NamedCase& c) { return out << c.name; }
};

// The DocRecord the driver writes for a document of this page size (hundredths of a millimetre).
DocRecord docRecord(int32_t doc, int32_t width, int32_t height);

#endif
