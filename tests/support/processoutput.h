#ifndef LUMETRA_TESTS_PROCESSOUTPUT_H
#define LUMETRA_TESTS_PROCESSOUTPUT_H

#include <QByteArray>

// What a child process wrote to standard error, without the report a sanitizer
// appends at its exit (the tools deliberately keep the instrument alive to the end).
inline QByteArray withoutSanitizerReport(const QByteArray& standardError)
{
    const int report = standardError.indexOf("\n=================================================================\n");
    if (report < 0)
        return standardError;
    // The report opens with a blank line of its own.
    QByteArray own = standardError.left(report + 1);
    while (own.endsWith("\n\n"))
        own.chop(1);
    return own;
}

#endif
