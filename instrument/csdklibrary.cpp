#include "csdklibrary.h"

#include <QDir>
#include <QFileInfo>

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

// The loader is given a wide-character buffer of this many characters plus terminator.
constexpr int MaxPathCharacters = 255;

#ifdef _WIN32
const char* const LibraryFileName = "ACCEL.dll";
const Qt::CaseSensitivity FileNameCase = Qt::CaseInsensitive;
#else
const char* const LibraryFileName = "libACCEL.so";
const Qt::CaseSensitivity FileNameCase = Qt::CaseSensitive;
#endif

} // namespace

CSdkLibrary::~CSdkLibrary()
{
    unload();
}

QString CSdkLibrary::libraryPath(const QString& folder)
{
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + QLatin1String(LibraryFileName));
}

bool CSdkLibrary::isLibraryFile(const QString& path)
{
    const QFileInfo file(path);
    return file.isFile() && file.fileName().compare(QLatin1String(LibraryFileName), FileNameCase) == 0;
}

bool CSdkLibrary::load(const QString& path)
{
    unload();
    m_errorText.clear();
    if (path.isEmpty() || path.size() > MaxPathCharacters) {
        m_errorText = QStringLiteral("library path empty or longer than %1 characters").arg(MaxPathCharacters);
        return false;
    }
#ifdef _WIN32
    wchar_t widePath[MaxPathCharacters + 1] = {};
    path.toWCharArray(widePath);
    HMODULE module = LoadLibraryW(widePath);
    if (!module)
        m_errorText = QStringLiteral("LoadLibraryW failed with error %1").arg(GetLastError());
    m_module = reinterpret_cast<void*>(module);
#else
    m_module = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_module)
        m_errorText = QString::fromLocal8Bit(dlerror());
#endif
    return m_module != nullptr;
}

void CSdkLibrary::unload()
{
    if (!m_module)
        return;
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(m_module));
#else
    dlclose(m_module);
#endif
    m_module = nullptr;
}

AccelLoadFunction CSdkLibrary::loadFunction()
{
    if (!m_module) {
        m_errorText = QStringLiteral("library not loaded");
        return nullptr;
    }
#ifdef _WIN32
    auto function = reinterpret_cast<AccelLoadFunction>(
        reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(m_module), ACCEL_LOAD_FUNCTION_NAME)));
    if (!function)
        m_errorText = QStringLiteral("GetProcAddress failed with error %1").arg(GetLastError());
#else
    auto function = reinterpret_cast<AccelLoadFunction>(dlsym(m_module, ACCEL_LOAD_FUNCTION_NAME));
    if (!function)
        m_errorText = QString::fromLocal8Bit(dlerror());
#endif
    return function;
}

int CSdkLibrary::startSockets()
{
#ifdef _WIN32
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 0), &data);
#else
    return 0;
#endif
}

void CSdkLibrary::stopSockets()
{
#ifdef _WIN32
    WSACleanup();
#endif
}
