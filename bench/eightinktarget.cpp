#include "eightinktarget.h"

#include <QByteArray>
#include <QFile>

bool writeEightInkTarget(const QString& path, int sets)
{
    constexpr int channels = 8;
    QByteArray text = "CGATS.17\nORIGINATOR \"lumetra benchmark\"\nINK_MODEL \"CMYKcmkn\"\nNUMBER_OF_FIELDS 9\n"
                      "BEGIN_DATA_FORMAT\nSAMPLE_ID CMYK_C CMYK_M CMYK_Y CMYK_K CMYK_A CMYK_B CMYK_D CMYK_E\n"
                      "END_DATA_FORMAT\nNUMBER_OF_SETS "
        + QByteArray::number(sets) + "\nBEGIN_DATA\n";
    for (int set = 0; set < sets; ++set) {
        text += "P" + QByteArray::number(set + 1);
        for (int channel = 0; channel < channels; ++channel)
            text += " " + QByteArray::number((set * (2 * channel + 7) + channel * 13) % 1001 / 10.0, 'f', 1);
        text += "\n";
    }
    text += "END_DATA\n";
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}
