#ifndef LUMETRA_BENCH_EIGHTINKTARGET_H
#define LUMETRA_BENCH_EIGHTINKTARGET_H

#include <QString>

// Writes a CMYKcmkn target of the given number of sets whose patches differ from
// their neighbours, as a real target's do, so that parsing and compression see
// realistic data. False when the file cannot be written.
bool writeEightInkTarget(const QString& path, int sets);

#endif
