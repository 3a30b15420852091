#ifndef LUMETRA_TARGETINKS_H
#define LUMETRA_TARGETINKS_H

#include <QString>

// The inks of a chart made from a target, as InkSet letters: the target's ink
// model (INK_MODEL, or the first patch's ChannellID letter), an unknown ink for
// each <n>CLR field, and unknown inks for the chart's channels beyond the
// target's. Empty when the target's channels are RGB light or it cannot be read,
// so that the chart's own channel count decides.
class TargetInks
{
public:
    static QString lettersFor(const QString& targetPath, int chartChannels);
};

#endif
