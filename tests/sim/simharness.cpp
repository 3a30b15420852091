#include "simharness.h"

#include <QDir>
#include <QFile>

#include <cstring>

SimHarness::SimHarness(const std::string& scenario)
{
    const QString copy = CSdkLibrary::libraryPath(m_folder.path());
    if (!QFile::copy(CSdkLibrary::libraryPath(QStringLiteral(ACCEL_SIM_DIR)), copy))
        return;
    if (!scenario.empty()) {
        QFile file(m_folder.filePath(QStringLiteral("accelsim.txt")));
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(scenario.data(), qint64(scenario.size()));
    }
    if (!m_library.load(copy))
        return;
    const AccelLoadFunction load = m_library.loadFunction();
    if (load)
        m_bindAnswer = load(m_library.module(), &m_table, AccelFunctionTableSize);
    m_sdkFolder = m_folder.path().toLatin1();
}

AccelHandle SimHarness::start()
{
    static const char temp[] = "/tmp";
    if (m_bindAnswer != 0
        || m_table.LoadLibraryInitialize(256, m_sdkFolder.constData(), m_sdkFolder.size(), temp, 4, 0, nullptr))
        return nullptr;
    AccelHandle h = m_table.Initialize(0);
    if (h && m_table.SetPrinterFn(h, "ILS30EP", 7) != 0)
        return nullptr;
    return h;
}

int32_t SimHarness::startDocument(AccelHandle h)
{
    int32_t doc = 0;
    if (m_table.Open(h, 4, "10.0.0.7", 8) || m_table.CreateDoc(h, &doc)
        || m_table.SetApplicationName(h, doc, "Quorastelian", 12) || m_table.SetPlatformName(h, doc, "Windows", 7))
        return 0;
    const DocRecord record = docRecord(doc, 32000, 45000);
    return m_table.StartDocFn(h, doc, &record) == 0 ? doc : 0;
}

QStringList SimHarness::traceLines() const
{
    QFile file(m_folder.filePath(QStringLiteral("trace.txt")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

DocRecord docRecord(int32_t doc, int32_t width, int32_t height)
{
    DocRecord record = {};
    record.mField0 = 1;
    record.mDocId = doc;
    record.mPageWidth = record.mMediaWidth = width;
    record.mPageHeight = record.mMediaHeight = height;
    std::memcpy(record.mDocName, "sample", 6);
    record.mDocNameLength = 6;
    std::memcpy(record.mUserName, "user", 4);
    record.mUserNameLength = 4;
    record.mModeA = record.mModeB = 1;
    return record;
}
