#ifndef LUMETRA_CSDKLIBRARY_H
#define LUMETRA_CSDKLIBRARY_H

#include "accelsdk.h"

#include <QString>

// The ACCEL SDK library file of one folder, loaded at run time, and the
// sockets layer the SDK needs on Windows. Every platform call of the driver
// lives in this class.
class CSdkLibrary
{
public:
    CSdkLibrary() = default;
    ~CSdkLibrary();

    CSdkLibrary(const CSdkLibrary&) = delete;
    CSdkLibrary& operator=(const CSdkLibrary&) = delete;

    // "libACCEL.so" or "ACCEL.dll": the SDK's file name on this platform.
    static QString libraryFileName();
    // "<folder>/libACCEL.so" or "<folder>\ACCEL.dll", with native separators.
    static QString libraryPath(const QString& folder);
    // Whether path names an existing file of the library's name, as when the
    // library is given where its folder is wanted.
    static bool isLibraryFile(const QString& path);

    // Loads the library at path, replacing one loaded before; the libraries it
    // needs are looked for in its own folder first. False with an error text (the
    // loader's own, on Windows with its error code) when the path is too long
    // for the loader or loading failed.
    bool load(const QString& path);
    void unload();
    bool isLoaded() const { return m_module != nullptr; }
    // The handle ACCEL_LoadFunction expects: the dlopen handle or HMODULE.
    void* module() const { return m_module; }
    // The library's ACCEL_LoadFunction; null with an error text when missing.
    AccelLoadFunction loadFunction();
    QString errorText() const { return m_errorText; }

    // WSAStartup (version 2.0) and WSACleanup on Windows; nothing elsewhere.
    static int startSockets();
    static void stopSockets();

private:
    void* m_module = nullptr;
    QString m_errorText;
};

#endif
