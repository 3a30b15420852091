#ifndef LUMETRA_STANDARDSTREAMS_H
#define LUMETRA_STANDARDSTREAMS_H

// The process's standard output and error: the tools' only platform calls.
namespace StandardStreams {

// Makes standard output and error write their bytes as they are. The C runtime
// of Windows turns every line feed into CR LF in its default text mode; POSIX
// streams are bytes already.
void useBinaryMode();

} // namespace StandardStreams

#endif
