#include "csdklibrary.h"

#include <QDir>
#include <QFile>
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

#ifdef _WIN32
// "<what> failed with error <code>: <the system's message>".
QString lastErrorText(const char* what)
{
    const DWORD code = GetLastError();
    wchar_t* message = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    const QString text = length ? QString::fromWCharArray(message, static_cast<int>(length)).trimmed() : QString();
    LocalFree(message);
    const QString head = QStringLiteral("%1 failed with error %2").arg(QLatin1String(what)).arg(code);
    return text.isEmpty() ? head : head + QStringLiteral(": ") + text;
}
#endif

} // namespace

CSdkLibrary::~CSdkLibrary()
{
    unload();
}

QString CSdkLibrary::libraryFileName()
{
    return QLatin1String(LibraryFileName);
}

QString CSdkLibrary::libraryPath(const QString& folder)
{
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + libraryFileName());
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
    // Absolute, as Windows' altered search path requires: the folder searched
    // for the libraries the SDK needs is the one the path names.
    const QString loaderPath = path.isEmpty() ? path : QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (loaderPath.isEmpty() || loaderPath.size() > MaxPathCharacters) {
        m_errorText = QStringLiteral("library path empty or longer than %1 characters").arg(MaxPathCharacters);
        return false;
    }
#ifdef _WIN32
    wchar_t widePath[MaxPathCharacters + 1] = {};
    loaderPath.toWCharArray(widePath);
    // Plain LoadLibraryW would not look beside ACCEL.dll for the DLLs it needs.
    HMODULE module = LoadLibraryExW(widePath, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
        m_errorText = lastErrorText("LoadLibraryExW");
    m_module = reinterpret_cast<void*>(module);
#else
    m_module = dlopen(QFile::encodeName(loaderPath).constData(), RTLD_NOW | RTLD_LOCAL);
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
        m_errorText = lastErrorText("GetProcAddress");
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
