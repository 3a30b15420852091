#include "cit8table.h"
#include "cit8toimageobj.h"
#include "sharedtargets.h"
#include "targetfiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QList>

#include <string>

namespace {

const char* const kEci2002 = "argyll-ref_ECI2002.ti2";
const char* const kControlWedge = "displaycal_CMYK_IDEAlliance_ISO_12647-7_Control_Wedge_2013.ti1";
const char* const kOuterGamut = "displaycal_CMYK_ISO_12647-7_outer_gamut.ti1";
const char* const kAptecSevenInk = "hamzafer_APTEC_CMYKOGV_7clr_xyzlab.txt";
const char* const kCardBoard = "hamzafer_APTEC_PC10_CardBoard_2023_v1.txt";
const char* const kFogra51 = "hamzafer_FOGRA51.txt";
const char* const kFogra39Crlf = "icc-profiles-free_FOGRA39L.ti3";
const char* const kSevenInkXgamut = "jungleCcc_CMYKOGV_i1Pro3iO_XGAMUNT.txt";
const char* const kEci2002V = "kresovicmilan_ECI2002V_CMYK.txt";

QByteArray sharedText(const char* name)
{
    QFile file(sharedTarget(QString::fromLatin1(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::unique_ptr<CIt8Table> loadShared(const char* name)
{
    return CIt8Table::Load(QFile::encodeName(sharedTarget(QString::fromLatin1(name))).constData());
}

// The colour table of a target as a plain reading of its lines sees it, with none of
// the reader's rules: one set per data line, values split at blanks, quotes dropped,
// each channel field a percentage scaled by 2.55. Pixels in set order.
class LineByLineTarget
{
public:
    LineByLineTarget(const QByteArray& text, const QList<QByteArray>& channelFields)
    {
        QList<QByteArray> fields;
        enum { Header, Format, Data, Done } section = Header;
        for (const QByteArray& rawLine : text.split('\n')) {
            const QList<QByteArray> words = rawLine.simplified().split(' ');
            const QByteArray first = words.value(0);
            if (section == Header && first == "BEGIN_DATA_FORMAT") {
                section = Format;
            } else if (section == Format && first == "END_DATA_FORMAT") {
                section = Header;
            } else if (section == Format) {
                for (const QByteArray& word : words)
                    fields << word.toUpper();
            } else if (section == Header && first == "BEGIN_DATA") {
                section = Data;
            } else if (section == Data && first == "END_DATA") {
                section = Done;
            } else if (section == Data && !first.isEmpty()) {
                QByteArray pixel;
                for (const QByteArray& channel : channelFields) {
                    const int field = fields.indexOf(channel);
                    const double percent = words.value(field).toDouble();
                    pixel += static_cast<char>(static_cast<int>(percent * 2.55));
                }
                m_pixels << pixel;
                m_wellFormed = m_wellFormed && words.size() == fields.size();
            }
        }
    }

    bool WellFormed() const { return m_wellFormed && !m_pixels.isEmpty(); }
    const QList<QByteArray>& Pixels() const { return m_pixels; }

private:
    QList<QByteArray> m_pixels;
    bool m_wellFormed = true;
};

// The pixels of a colour table (blocks of one pixel) in set order, up to a count.
QList<QByteArray> pixelsInSetOrder(const CIt8ToImageObj& image, int perRow, int channels, int count)
{
    const int rows = image.GetTotalPatchCount() / perRow;
    QList<QByteArray> pixels;
    for (int set = 0; set < count; ++set) {
        const int line = rows - 1 - set / perRow;
        const int offset = (line * perRow + set % perRow) * channels;
        pixels << QByteArray(reinterpret_cast<const char*>(image.GetTargetImage()) + offset, channels);
    }
    return pixels;
}

const QList<QByteArray> kCmykChannels = {"CMYK_C", "CMYK_M", "CMYK_Y", "CMYK_K"};
const QList<QByteArray> kSevenInkChannels = {"7CLR_1", "7CLR_2", "7CLR_3", "7CLR_4", "7CLR_5", "7CLR_6", "7CLR_7"};

// Copies of a shared file with one kind of damage, for the refusals they must meet.
class DamagedCopy
{
public:
    explicit DamagedCopy(const char* name)
        : m_lines(sharedText(name).split('\n'))
    {
        for (int i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].startsWith("BEGIN_DATA") && !m_lines[i].startsWith("BEGIN_DATA_FORMAT"))
                m_firstDataLine = i + 1;
            if (m_lines[i].startsWith("END_DATA") && !m_lines[i].startsWith("END_DATA_FORMAT"))
                m_endDataLine = i;
        }
    }

    bool Found() const { return m_firstDataLine > 0 && m_endDataLine > m_firstDataLine; }
    // The 1-based file line of data line i (0-based).
    int FileLine(int i) const { return m_firstDataLine + i + 1; }

    QByteArray WithoutLastDataLines(int count) const
    {
        QList<QByteArray> lines = m_lines;
        for (int i = 0; i < count; ++i)
            lines.removeAt(m_endDataLine - 1 - i);
        return lines.join('\n');
    }

    QByteArray WithoutLastValueOf(int dataLine) const
    {
        QList<QByteArray> lines = m_lines;
        QByteArray& line = lines[m_firstDataLine + dataLine];
        const QByteArray trimmed = line.trimmed();
        line = trimmed.left(trimmed.lastIndexOf(trimmed.contains('\t') ? '\t' : ' '));
        return lines.join('\n');
    }

    QByteArray WithTextBefore(int dataLine, const QByteArray& text) const
    {
        QList<QByteArray> lines = m_lines;
        lines[m_firstDataLine + dataLine].prepend(text);
        return lines.join('\n');
    }

    QByteArray CutAtTheEndOfData() const { return m_lines.mid(0, m_endDataLine).join('\n'); }

    // A second table after the first, all of whose values are 0.
    QByteArray WithSecondTable() const
    {
        QList<QByteArray> lines = m_lines.mid(0, m_endDataLine + 1);
        lines << "BEGIN_DATA";
        for (int i = m_firstDataLine; i < m_endDataLine; ++i)
            lines << QByteArray("0 ").repeated(m_lines[i].simplified().count(' ') + 1);
        lines << "END_DATA" << "";
        return lines.join('\n');
    }

private:
    QList<QByteArray> m_lines;
    int m_firstDataLine = 0;
    int m_endDataLine = 0;
};

} // namespace

TEST(SharedTargets, LoadWithThePropertiesAndCellsTheRulesGive)
{
    SKIP_WITHOUT_SHARED_TARGETS(kEci2002, kControlWedge, kOuterGamut, kAptecSevenInk, kCardBoard, kFogra51,
                                kFogra39Crlf, kSevenInkXgamut, kEci2002V);

    struct SharedCase
    {
        const char* file;
        const char* property;
        const char* value;
        int fields;
        int sets;
        int field;
        int set;
        const char* cell;
    };
    const SharedCase cases[] = {
        {kEci2002, "TARGET_INSTRUMENT", "Xrite DTP41", 9, 1539, 1, 1, "C42"},
        {kControlWedge, "COLOR_REP", "CMYK", 6, 84, 1, 82, "2B2"},
        {kOuterGamut, "NUMBER_OF_SETS", "226", 5, 226, 0, 225, "1410"},
        {kAptecSevenInk, "DEVCALSTD", "UNKNOWN", 15, 1624, 2, 0, "100"},
        {kCardBoard, "PRINT_CONDITIONS", "SHEET", 8, 1617, 1, 1616, "100"},
        {kFogra51, "CREATED", "May 2015", 8, 1617, 7, 0, "-6"},
        {kFogra39Crlf, "DESCRIPTOR", "FOGRA39L", 11, 1617, 8, 1, "90.67"},
        {kSevenInkXgamut, "CREATED", "31/12/2025", 9, 3024, 2, 0, "20"},
        {kEci2002V, "LGOROWLENGTH", "33", 6, 1485, 1, 1484, "2S33"},
    };
    for (const SharedCase& c : cases) {
        SCOPED_TRACE(c.file);
        const auto table = loadShared(c.file);
        ASSERT_TRUE(table);
        EXPECT_STREQ(table->GetPropertyText(c.property), c.value);
        EXPECT_EQ(table->GetFieldCount(), c.fields);
        EXPECT_EQ(table->GetSetCount(), c.sets);
        char cell[64];
        ASSERT_TRUE(table->GetCellAt(c.field, c.set, cell, sizeof cell));
        EXPECT_STREQ(cell, c.cell);
        EXPECT_EQ(table->IsComplete(), c.file != kAptecSevenInk) << table->GetReadError();
    }
}

TEST(SharedTargets, FindPatchesByTheirKeyColumn)
{
    SKIP_WITHOUT_SHARED_TARGETS(kEci2002, kEci2002V);

    // ECI2002 fills 54 sets with SAMPLE_ID 0; the first of them answers for all.
    const auto eci = loadShared(kEci2002);
    ASSERT_TRUE(eci);
    char cell[16];
    EXPECT_EQ(eci->FindPatchSet("1539"), -1);
    ASSERT_TRUE(eci->GetCellAt(0, 1538, cell, sizeof cell));
    EXPECT_EQ(eci->FindPatchSet(cell), eci->FindPatchSet("0"));
    EXPECT_LT(eci->FindPatchSet("0"), 1538);

    // "SampleID" is the key column: normalised and searched case-insensitively.
    const auto logo = loadShared(kEci2002V);
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->GetKeyColumn(), 0);
    EXPECT_EQ(logo->FindPatchSet("171"), 0);
    double magenta = 0.0;
    ASSERT_TRUE(logo->GetCellNumber("170", "cmyk_m", magenta));
    EXPECT_EQ(magenta, 85.0);
}

TEST(SharedTargets, GiveTheColourTableTheirDataMeans)
{
    SKIP_WITHOUT_SHARED_TARGETS(kEci2002, kControlWedge, kOuterGamut, kCardBoard, kFogra51, kFogra39Crlf,
                                kSevenInkXgamut, kEci2002V);

    struct ChartCase
    {
        const char* file;
        const QList<QByteArray>& channels;
        int perRow;
    };
    const ChartCase cases[] = {
        {kEci2002, kCmykChannels, 10},
        {kControlWedge, kCmykChannels, 10},
        {kOuterGamut, kCmykChannels, 10},
        {kCardBoard, kCmykChannels, 33},
        {kFogra51, kCmykChannels, 30},
        {kFogra39Crlf, kCmykChannels, 30},
        {kSevenInkXgamut, kSevenInkChannels, 84},
        {kEci2002V, kCmykChannels, 33},
    };
    for (const ChartCase& c : cases) {
        SCOPED_TRACE(c.file);
        const LineByLineTarget expected(sharedText(c.file), c.channels);
        ASSERT_TRUE(expected.WellFormed());
        const int sets = expected.Pixels().size();
        const int channels = c.channels.size();

        CIt8ToImageObj image(sharedTarget(c.file));
        ASSERT_EQ(image.ComputeLinearizationChart(1, 1, c.perRow, channels), 1) << image.GetErrorText().toStdString();
        const int rows = (sets + c.perRow - 1) / c.perRow;
        ASSERT_EQ(image.GetTotalPatchCount(), rows * c.perRow);
        ASSERT_EQ(image.GetTargetImageSize(), image.GetTotalPatchCount() * channels);
        const QList<QByteArray> pixels = pixelsInSetOrder(image, c.perRow, channels, sets);
        int wrong = 0;
        for (int set = 0; set < sets; ++set) {
            if (pixels[set] != expected.Pixels()[set] && ++wrong <= 3)
                ADD_FAILURE() << "set " << set << ": " << pixels[set].toHex(' ').constData() << " instead of "
                              << expected.Pixels()[set].toHex(' ').constData();
        }
        EXPECT_EQ(wrong, 0);
        // The padding of the last row stays background.
        const QByteArray background(channels, '\0');
        for (const QByteArray& pixel : pixelsInSetOrder(image, c.perRow, channels, rows * c.perRow).mid(sets))
            EXPECT_EQ(pixel, background);
    }
}

TEST(SharedTargets, RefuseTheSevenInkFileThatHoldsMoreSetsThanItDeclares)
{
    SKIP_WITHOUT_SHARED_TARGETS(kAptecSevenInk);

    CIt8ToImageObj image(sharedTarget(kAptecSevenInk));
    EXPECT_EQ(image.ComputeLinearizationChart(1, 1, 10, 7), 0);
    EXPECT_EQ(image.GetErrorText(),
              sharedTarget(kAptecSevenInk) + ": the data holds 3534 complete sets, NUMBER_OF_SETS declares 1624");
}

TEST(SharedTargets, DamagedCopiesAreRefusedWithTheirLine)
{
    SKIP_WITHOUT_SHARED_TARGETS(kFogra51, kFogra39Crlf);

    TargetFiles files;
    for (const char* name : {kFogra51, kFogra39Crlf}) {
        SCOPED_TRACE(name);
        const DamagedCopy copy(name);
        ASSERT_TRUE(copy.Found());
        struct DamageCase
        {
            QByteArray text;
            QString reason;
        };
        const DamageCase cases[] = {
            {copy.WithoutLastDataLines(5), ": the data holds 1612 complete sets, NUMBER_OF_SETS declares 1617"},
            {copy.WithoutLastValueOf(700),
             QString(": the data holds 1616 complete sets and %1 values more, NUMBER_OF_SETS declares 1617; line %2 "
                     "holds %3 values for %4 fields")
                 .arg(name == kFogra51 ? 7 : 10)
                 .arg(copy.FileLine(700))
                 .arg(name == kFogra51 ? 7 : 10)
                 .arg(name == kFogra51 ? 8 : 11)},
            {copy.WithTextBefore(1200, "("),
             QString(": Line %1, Sample data expected, found the character '('").arg(copy.FileLine(1200))},
            {copy.CutAtTheEndOfData(), ", END_DATA expected: the data ends with the file, which may be cut short"},
        };
        for (const DamageCase& c : cases) {
            SCOPED_TRACE(c.reason.toStdString());
            const QString path = files.Write(c.text);
            CIt8ToImageObj image(path);
            EXPECT_EQ(image.ComputeLinearizationChart(1, 1, 30, 4), 0);
            EXPECT_TRUE(image.GetErrorText().startsWith(path)) << image.GetErrorText().toStdString();
            EXPECT_TRUE(image.GetErrorText().endsWith(c.reason)) << image.GetErrorText().toStdString();
        }

        // A second table does not overwrite the first.
        CIt8ToImageObj original(sharedTarget(name));
        CIt8ToImageObj twoTables(files.Write(copy.WithSecondTable()));
        ASSERT_EQ(original.ComputeLinearizationChart(1, 1, 30, 4), 1);
        ASSERT_EQ(twoTables.ComputeLinearizationChart(1, 1, 30, 4), 1);
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(twoTables.GetTargetImage()), twoTables.GetTargetImageSize()),
                  QByteArray(reinterpret_cast<const char*>(original.GetTargetImage()), original.GetTargetImageSize()));
    }
}
