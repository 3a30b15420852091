#include "cit8table.h"
#include "targetfiles.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// One field, three sets: every readable value of the data section shows.
QByteArray dataTarget(const QByteArray& values)
{
    return "NUMBER_OF_FIELDS 1\nNUMBER_OF_SETS 3\nBEGIN_DATA_FORMAT\nV\nEND_DATA_FORMAT\nBEGIN_DATA\n" + values
        + "\nEND_DATA\n";
}

// Loads the text followed by a property, which is read only when the parse gets past the text.
std::unique_ptr<CIt8Table> loadBeforeTrailer(TargetFiles& files, const QByteArray& text)
{
    return files.Load(text + "\nORIGINATOR after\n");
}

bool readTrailer(const CIt8Table& table)
{
    return table.GetPropertyText("ORIGINATOR") != nullptr;
}

struct TextCase
{
    QByteArray text;
    std::string expected;
};

} // namespace

TEST(CIt8Table, LexesDataValuesIntoCellTexts)
{
    const TextCase cases[] = {
        {"12.3456789", "12.3457"},
        {"+5", "5"},
        {"-0.25", "-0.25"},
        {"5.", "5"},
        {"+.5", "0.5"},
        {"-", "0"},
        {"007", "7"},
        {"-1.5e2", "-150"},
        {"2.5E-2", "0.025"},
        // A number run straight into name characters is one name; a separator, a
        // quote, a comment or a dot ends the number.
        {"1e5", "1E5"},
        {"2A1", "2A1"},
        {"2e33", "2E33"},
        {"7clr_1", "7CLR_1"},
        {"31/12/2025", "31/12/2025"},
        {"5$%&", "5$%&"},
        {"-2a", "-2A"},
        {"+1.5e3x", "+1.5E3X"},
        {"2A1.5", "2A1|.5"},
        {"1.2.3", "1.2|.3"},
        {"12'x'", "12|x"},
        {"12#c", "12"},
        // 32-bit accumulation wraps, also beneath the fraction.
        {"2147483648", "-2147483648"},
        {"-2147483648", "-2147483648"},
        {"4294967297", "1"},
        {"4294967296.5", "0.5"},
        // Powers of ten in single precision by binary exponentiation.
        {"0.10000049999", "0.100001"},
        {"1.00000501e11", "1e+11"},
        {"9.999995e18", "1e+19"},
        {"1.0e39", "inf"},
        {"1.0e-39", "0"},
        {"1.0e-99999999999999", "0"},
        // A dot starts an identifier; identifiers are upper-cased.
        {".5", ".5"},
        {"ab.c$%&/_9", "AB.C$%&/_9"},
        {"'Mixed Case'", "Mixed Case"},
        {"\"\"", "\""},
        {"'it''s'", "it|s"},
        {"\"\"\"x\"\"\"", "\"\"x|\""},
        {"\"a\\tb\\\\c\\\"d\\q\"", "a\tb\\c\"dq"},
        {"'line\\nbreak'", "line\nbreak"},
        {"'open\n2", "open|2"},
        {"1 # comment\n2", "1|2"},
        {"1\n2 3", "1|2|3"},
        {"1 \x1a 2", "1"},
        {QByteArray("1\0 2", 4), "1"},
        {"1 \xe9 2", "1"},
        {"1 ( 2", "1"},
    };
    TargetFiles files;
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text.constData());
        const auto table = files.Load(dataTarget(c.text));
        ASSERT_TRUE(table);
        EXPECT_EQ(readableCells(*table), c.expected);
    }
}

TEST(CIt8Table, CutsLongIdentifiersAndStrings)
{
    TargetFiles files;
    const auto identifier = files.Load(dataTarget(QByteArray(200, 'a')));
    ASSERT_TRUE(identifier);
    EXPECT_EQ(readableCells(*identifier), std::string(127, 'A'));
    const auto digitLed = files.Load(dataTarget("1" + QByteArray(200, 'a') + " 2"));
    ASSERT_TRUE(digitLed);
    EXPECT_EQ(readableCells(*digitLed), "1" + std::string(126, 'A') + "|2");

    // The lexer keeps 255 characters, a cell 254; the 256th is consumed and the
    // rest reads as an identifier.
    const auto string = files.Load(dataTarget("'" + QByteArray(300, 'x') + "'"));
    ASSERT_TRUE(string);
    EXPECT_EQ(readableCells(*string), std::string(254, 'x') + "|" + std::string(44, 'X'));
}

TEST(CIt8Table, ReadsHeaderProperties)
{
    struct PropertyCase
    {
        QByteArray header;
        const char* key;
        const char* expected; // null: not stored
    };
    const PropertyCase cases[] = {
        {"INK_MODEL CMYKcm", "INK_MODEL", "CMYKCM"},
        {"INK_MODEL 'CMYKcm'", "ink_model", "CMYKcm"},
        {"NUMBER_OF_SETS 12.3456789", "NUMBER_OF_SETS", "12.3457"},
        {"NUMBER_OF_SETS -7", "NUMBER_OF_SETS", "-7"},
        {"CGATS.17\nORIGINATOR me", "ORIGINATOR", "ME"},
        {"ORIGINATOR first ORIGINATOR second", "ORIGINATOR", "FIRST"},
        {"FOO 'bar' ORIGINATOR me", "ORIGINATOR", "ME"},
        {"ORIGINATOR me 5 'x' END_DATA DESCRIPTOR d", "DESCRIPTOR", "D"},
        {"ORIGINATOR 'a' # note\nDESCRIPTOR 'd'", "DESCRIPTOR", "d"},
        {"KEYWORD 'MyKey'\nMYKEY 5", "mykey", "5"},
        {"KEYWORD 'INK_MODEL' ORIGINATOR me", "ORIGINATOR", nullptr},
        {"KEYWORD 'ink_model' ORIGINATOR me", "ORIGINATOR", nullptr},
        {"KEYWORD MyKey ORIGINATOR me", "ORIGINATOR", "ME"},
        {"KEYWORD MyKey\nMYKEY 5", "mykey", "5"},
        {"KEYWORD 7key 'x'\n7KEY 5", "7key", "5"},
        {"KEYWORD 5 ORIGINATOR me", "ORIGINATOR", nullptr},
        // A rejected character skips the rest of its line; the header goes on.
        {"DESCRIPTOR ( ORIGINATOR me", "ORIGINATOR", nullptr},
        {"DESCRIPTOR (\nORIGINATOR me", "ORIGINATOR", "ME"},
        {"DESCRIPTOR (\nORIGINATOR me", "DESCRIPTOR", nullptr},
        {"(\rORIGINATOR me", "ORIGINATOR", "ME"},
        {"CREATED 31/12/2025 14:19:47 ORIGINATOR me", "CREATED", "31/12/2025"},
        {"CREATED 31/12/2025 14:19:47 ORIGINATOR me", "ORIGINATOR", nullptr},
        {"CREATED 31/12/2025 14:19:47\r\nORIGINATOR me", "ORIGINATOR", "ME"},
        {"PRINT_CONDITIONS ISO 12647-2:2013 Printing\nORIGINATOR me", "PRINT_CONDITIONS", "ISO"},
        {"PRINT_CONDITIONS ISO 12647-2:2013 Printing\nORIGINATOR me", "ORIGINATOR", "ME"},
        {"ORIGINATOR \xe9t\xe9\nDESCRIPTOR d", "DESCRIPTOR", "D"},
        {"ORIGINATOR me \x1a DESCRIPTOR d", "DESCRIPTOR", nullptr},
        {"ORIGINATOR", "ORIGINATOR", nullptr},
        {"ORIGINATOR '\nDESCRIPTOR d", "ORIGINATOR", nullptr},
        {"ORIGINATOR '\nDESCRIPTOR d", "DESCRIPTOR", "D"},
        {"ORIGINATOR ''", "ORIGINATOR", "'"},
        {"ORIGINATOR me", "MISSING", nullptr},
    };
    TargetFiles files;
    for (const PropertyCase& c : cases) {
        SCOPED_TRACE(c.header.constData() + std::string(" / ") + c.key);
        const auto table = files.Load(c.header + "\n");
        ASSERT_TRUE(table);
        const char* value = table->GetPropertyText(c.key);
        if (c.expected)
            EXPECT_STREQ(value, c.expected);
        else
            EXPECT_EQ(value, nullptr) << value;
    }
}

TEST(CIt8Table, KeepsPropertyValuesUpTo254Characters)
{
    TargetFiles files;
    const auto table = files.Load("ORIGINATOR '" + QByteArray(300, 'o') + "'\n");
    ASSERT_TRUE(table);
    EXPECT_EQ(std::string(table->GetPropertyText("ORIGINATOR")), std::string(254, 'o'));
}

TEST(CIt8Table, SizesTheDataFormat)
{
    struct FormatCase
    {
        QByteArray text;
        int fieldCount;
        std::string names;
        bool parseGoesOn;
    };
    const auto names = [](int count) {
        QByteArray list;
        for (int i = 0; i < count; ++i)
            list += " F" + QByteArray::number(i);
        return list;
    };
    const FormatCase cases[] = {
        {"NUMBER_OF_FIELDS 3 BEGIN_DATA_FORMAT a b c END_DATA_FORMAT", 3, "A|B|C", true},
        {"NUMBER_OF_FIELDS 3 BEGIN_DATA_FORMAT a b c d e END_DATA_FORMAT", 4, "A|B|C|D", true},
        // A failing format keeps the count its names were sized with, not what it counted.
        {"NUMBER_OF_FIELDS 3 BEGIN_DATA_FORMAT a b c d e f END_DATA_FORMAT", 3, "A|B|C", false},
        {"NUMBER_OF_FIELDS 3 BEGIN_DATA_FORMAT a 5 b END_DATA_FORMAT", 3, "", false},
        {"NUMBER_OF_FIELDS -2 BEGIN_DATA_FORMAT a b END_DATA_FORMAT", 2, "A|B", true},
        {"BEGIN_DATA_FORMAT" + names(33) + " END_DATA_FORMAT", 33, "", true},
        {"BEGIN_DATA_FORMAT" + names(34) + " END_DATA_FORMAT", 33, "", true},
        {"BEGIN_DATA_FORMAT" + names(35) + " END_DATA_FORMAT", 32, "", false},
        // Without its end the format takes every identifier that follows.
        {"BEGIN_DATA_FORMAT a b", 4, "A|B|ORIGINATOR|AFTER", false},
        // A second format section may name one field more than the first kept.
        {"NUMBER_OF_FIELDS 1 BEGIN_DATA_FORMAT a b END_DATA_FORMAT BEGIN_DATA_FORMAT c d e END_DATA_FORMAT", 3,
         "C|D|E", true},
    };
    TargetFiles files;
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.text.constData());
        const auto table = loadBeforeTrailer(files, c.text);
        ASSERT_TRUE(table);
        EXPECT_EQ(table->GetFieldCount(), c.fieldCount);
        if (!c.names.empty()) {
            std::string joined;
            for (int f = 0; f < table->GetFieldCount(); ++f)
                joined += (f ? "|" : "") + std::string(table->GetFieldName(f));
            EXPECT_EQ(joined, c.names);
        }
        EXPECT_EQ(readTrailer(*table), c.parseGoesOn);
    }
}

TEST(CIt8Table, StoresDataBySetAndField)
{
    struct DataCase
    {
        QByteArray text;
        std::string cells;
        // Empty: the file was read whole; else a part of the reason it was not.
        std::string error;
    };
    const DataCase cases[] = {
        {"NUMBER_OF_SETS 2 BEGIN_DATA_FORMAT a b END_DATA_FORMAT BEGIN_DATA 1 2\n3 4 END_DATA", "1|2|3|4", ""},
        // One set beyond the count is stored (though no query reaches it); later ones are only counted.
        {"NUMBER_OF_SETS 2 BEGIN_DATA_FORMAT a END_DATA_FORMAT BEGIN_DATA 1 2 3 END_DATA", "1|2",
         "the data holds 3 complete sets, NUMBER_OF_SETS declares 2"},
        {"NUMBER_OF_SETS 2 BEGIN_DATA_FORMAT a END_DATA_FORMAT BEGIN_DATA 1 2 3 4 5 6 7 END_DATA", "1|2",
         "the data holds 7 complete sets, NUMBER_OF_SETS declares 2"},
        {"BEGIN_DATA_FORMAT a END_DATA_FORMAT BEGIN_DATA 1 END_DATA", "",
         "the data holds 1 complete sets, and the header has no NUMBER_OF_SETS"},
        // The first table is the target; a second one is not read.
        {"NUMBER_OF_SETS 2 BEGIN_DATA_FORMAT a END_DATA_FORMAT BEGIN_DATA 1 2 END_DATA BEGIN_DATA 33 4 END_DATA",
         "1|2", ""},
        {"NUMBER_OF_SETS 1 BEGIN_DATA_FORMAT a END_DATA_FORMAT BEGIN_DATA 1 END_DATA (", "1", ""},
        {"NUMBER_OF_SETS 2 BEGIN_DATA_FORMAT a END_DATA_FORMAT BEGIN_DATA 1 KEYWORD END_DATA", "1",
         "Line 1, Sample data expected, found KEYWORD"},
        // A keyword without a value leaves the section after it alone.
        {"NUMBER_OF_SETS 1 BEGIN_DATA_FORMAT a END_DATA_FORMAT ORIGINATOR\nBEGIN_DATA 1 END_DATA", "1", ""},
        // Before any format the field count is 0, so the first value opens set 1.
        {"NUMBER_OF_FIELDS 2 NUMBER_OF_SETS 3 BEGIN_DATA a b c d END_DATA", "A|B|C|D",
         "the data holds 2 complete sets, NUMBER_OF_SETS declares 3"},
        {"NUMBER_OF_FIELDS 0 NUMBER_OF_SETS 3 BEGIN_DATA a b c END_DATA", "", "the data format names no fields"},
        {"NUMBER_OF_FIELDS -4 NUMBER_OF_SETS 3 BEGIN_DATA a END_DATA", "",
         "NUMBER_OF_FIELDS -4 and NUMBER_OF_SETS 3 give no room for the data"},
        {"NUMBER_OF_FIELDS 2 NUMBER_OF_SETS -3 BEGIN_DATA a END_DATA", "", "give no room for the data"},
        {"NUMBER_OF_FIELDS 2000000000 NUMBER_OF_SETS 9 BEGIN_DATA_FORMAT a END_DATA_FORMAT BEGIN_DATA x END_DATA",
         "X", "the data holds 1 complete sets, NUMBER_OF_SETS declares 9"},
        {"NUMBER_OF_SETS 1 BEGIN_DATA_FORMAT a END_DATA_FORMAT", "", "no data section"},
        {"NUMBER_OF_SETS 1 BEGIN_DATA_FORMAT a END_DATA_FORMAT BEGIN_DATA 1\n", "1",
         "Line 2, END_DATA expected: the data ends with the file"},
        // Where the values do not fill whole sets, the first line that holds too few or too many.
        {"NUMBER_OF_SETS 3\nBEGIN_DATA_FORMAT a b END_DATA_FORMAT\nBEGIN_DATA\n1 2\n3\n4 5\nEND_DATA", "1|2|3|4|5",
         "the data holds 2 complete sets and 1 values more, NUMBER_OF_SETS declares 3; line 5 holds 1 values for "
         "2 fields"},
        {"NUMBER_OF_SETS 2\nBEGIN_DATA_FORMAT a b END_DATA_FORMAT\nBEGIN_DATA 1 2\n3 4 5\nEND_DATA", "1|2|3|4",
         "the data holds 2 complete sets and 1 values more, NUMBER_OF_SETS declares 2; line 4 holds 3 values for "
         "2 fields"},
        // Lines end at LF, CR LF and a lone CR.
        {"NUMBER_OF_SETS 2\r\nBEGIN_DATA_FORMAT a END_DATA_FORMAT\rBEGIN_DATA\n1\n(\nEND_DATA", "1",
         "Line 5, Sample data expected, found the character '('"},
        {"NUMBER_OF_SETS 2 BEGIN_DATA_FORMAT a END_DATA_FORMAT BEGIN_DATA 1 \xe9 END_DATA", "1",
         "Line 1, Sample data expected, found the byte 0xE9"},
        {"NUMBER_OF_SETS 2 BEGIN_DATA_FORMAT a\n(\nEND_DATA_FORMAT BEGIN_DATA 1 2 END_DATA", "",
         "Line 2, Field name expected, found the character '('"},
        {"NUMBER_OF_SETS 2\nKEYWORD 'INK_MODEL'\nBEGIN_DATA_FORMAT a END_DATA_FORMAT BEGIN_DATA 1 2 END_DATA", "",
         "Line 2, Keyword 'INK_MODEL' is defined already"},
        {"NUMBER_OF_SETS 2\n\nKEYWORD\n5\nBEGIN_DATA_FORMAT a END_DATA_FORMAT BEGIN_DATA 1 2 END_DATA", "",
         "Line 4, Keyword expected, found '5'"},
    };
    TargetFiles files;
    for (const DataCase& c : cases) {
        SCOPED_TRACE(c.text.constData());
        const auto table = files.Load(c.text);
        ASSERT_TRUE(table);
        EXPECT_EQ(readableCells(*table), c.cells);
        EXPECT_EQ(table->IsComplete(), c.error.empty());
        const std::string error = table->GetReadError();
        if (c.error.empty())
            EXPECT_EQ(error, "");
        else
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(CIt8Table, NamesTheFileAndTheLineOfEachError)
{
    TargetFiles files;
    const QString path = files.Write("CGATS.17\nORIGINATOR me\nCREATED 14:19\nNUMBER_OF_SETS 1\n"
                                     "BEGIN_DATA_FORMAT a END_DATA_FORMAT\nBEGIN_DATA\n1\nEND_DATA\n");
    const QByteArray localPath = QFile::encodeName(path);
    const auto table = CIt8Table::Load(localPath.constData());
    ASSERT_TRUE(table);
    EXPECT_TRUE(table->IsComplete());
    // The header recovered from the ':' of line 3, which is the last error met.
    EXPECT_EQ(std::string(table->GetLastSyntaxError()),
              localPath.toStdString() + ": Line 3, the character ':' skips the rest of the line");

    const QByteArray cut = "NUMBER_OF_SETS 3\nBEGIN_DATA_FORMAT a b END_DATA_FORMAT\nBEGIN_DATA\n1 2\n3\nEND_DATA\n";
    const QByteArray cutPath = QFile::encodeName(files.Write(cut));
    const auto damaged = CIt8Table::Load(cutPath.constData());
    ASSERT_TRUE(damaged);
    EXPECT_EQ(std::string(damaged->GetReadError()),
              cutPath.toStdString()
                  + ": the data holds 1 complete sets and 1 values more, NUMBER_OF_SETS declares 3; line 5 holds 1 "
                    "values for 2 fields");
}

TEST(CIt8Table, AnnouncedSizesCostNothingUntilDataFillsThem)
{
    TargetFiles files;
    const auto table = files.Load("NUMBER_OF_FIELDS 2147483647 NUMBER_OF_SETS 2147483647 BEGIN_DATA a b END_DATA");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->GetFieldCount(), 2147483647);
    char cell[8];
    EXPECT_FALSE(table->GetCellAt(0, 0, cell, sizeof cell));
    EXPECT_TRUE(table->GetCellAt(1, 1, cell, sizeof cell));
    EXPECT_STREQ(cell, "B");
    EXPECT_FALSE(table->IsComplete());
}

TEST(CIt8Table, CountsFieldsAsTheSizingRulesSay)
{
    TargetFiles files;
    const auto zero = files.Load("NUMBER_OF_FIELDS 0 NUMBER_OF_SETS 3 BEGIN_DATA a END_DATA");
    const auto missing = files.Load("NUMBER_OF_SETS 3 BEGIN_DATA a END_DATA");
    ASSERT_TRUE(zero && missing);
    EXPECT_EQ(zero->GetFieldCount(), 0);
    EXPECT_EQ(missing->GetFieldCount(), 32);
    char cell[8];
    EXPECT_TRUE(missing->GetCellAt(0, 1, cell, sizeof cell));
    EXPECT_STREQ(cell, "A");
}

TEST(CIt8Table, NormalizesTheSampleIdColumn)
{
    const TextCase cases[] = {
        {"a01", "A1"},   {"gs00", "DMIN"},       {"gs0", "DMIN"},   {"'A1x'", "A1"},   {"12", "12"},
        {"'P-3'", "P"},  {"'a 1'", "A"},         {"abc", "ABC"},    {"'007'", "7"},
        {"-3", ""},      {"x99999999999", "X2147483647"},
    };
    TargetFiles files;
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.text.constData());
        const auto table = files.Load("NUMBER_OF_SETS 1 BEGIN_DATA_FORMAT SampleId v END_DATA_FORMAT BEGIN_DATA " + c.text
                                      + " 1 END_DATA");
        ASSERT_TRUE(table);
        char cell[32] = "unchanged";
        EXPECT_EQ(table->GetCellAt(0, 0, cell, sizeof cell), !c.expected.empty());
        EXPECT_EQ(cell, c.expected);
        EXPECT_EQ(table->FindPatchSet(c.expected.c_str()), c.expected.empty() ? -1 : 0);
    }
}

TEST(CIt8Table, FindsPatchesThroughTheKeyColumn)
{
    TargetFiles files;
    const auto table = files.Load("NUMBER_OF_SETS 4\nBEGIN_DATA_FORMAT name SAMPLEID SampleID END_DATA_FORMAT\n"
                                  "BEGIN_DATA\n p0 x01 a01\n p1 B2 A1\n p2 c3 '\n p3 b2 b2\n p4 z9 z9\nEND_DATA\n");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->GetKeyColumn(), 2);
    struct FindCase
    {
        const char* patch;
        int set;
    };
    const FindCase cases[] = {
        {"a1", 0},  {"A01", -1}, {"b2", 3},  {"", -1},      {"p0", -1},
        {"x1", -1}, {"c3", -1},  {"z9", -1}, {nullptr, -1},
    };
    for (const FindCase& c : cases) {
        SCOPED_TRACE(c.patch ? c.patch : "(null)");
        EXPECT_EQ(table->FindPatchSet(c.patch), c.set);
    }
    // The other SAMPLEID column is normalised too, but names nothing; an empty key names nothing.
    char cell[8];
    ASSERT_TRUE(table->GetCellAt(1, 0, cell, sizeof cell));
    EXPECT_STREQ(cell, "X1");
    EXPECT_FALSE(table->GetCellAt(2, 2, cell, sizeof cell));
}

TEST(CIt8Table, KeepsTheFirstFieldAsKeyWithoutSampleId)
{
    TargetFiles files;
    const auto table = files.Load("NUMBER_OF_SETS 2 BEGIN_DATA_FORMAT SAMPLE_ID v END_DATA_FORMAT\n"
                                  "BEGIN_DATA a01 1 a01 2 END_DATA");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->GetKeyColumn(), 0);
    EXPECT_EQ(table->FindPatchSet("a01"), 0);
    EXPECT_EQ(table->FindPatchSet("A1"), -1);
}

TEST(CIt8Table, AnswersCellQueries)
{
    TargetFiles files;
    const auto table = files.Load("NUMBER_OF_SETS 3\nBEGIN_DATA_FORMAT SAMPLEID CMYK_C long END_DATA_FORMAT\n"
                                  "BEGIN_DATA\nA1 .5 'ABCDEFGH'\nA2 abc '12345678901234567890123'\nA3 '\n 1e5\n"
                                  "END_DATA\n");
    ASSERT_TRUE(table);
    char buffer[8] = "zz";
    EXPECT_TRUE(table->GetCellAt(2, 0, buffer, 4));
    EXPECT_STREQ(buffer, "ABC");
    for (const auto& at : {std::pair<int, int>{3, 0}, {0, 3}, {1, 2}, {-1, 0}, {0, -1}}) {
        std::strcpy(buffer, "zz");
        EXPECT_FALSE(table->GetCellAt(at.first, at.second, buffer, sizeof buffer));
        EXPECT_STREQ(buffer, "");
    }

    std::strcpy(buffer, "zz");
    EXPECT_TRUE(table->GetCell("a2", "cmyk_c", buffer, 3));
    EXPECT_STREQ(buffer, "AB");
    const std::pair<const char*, const char*> misses[] = {
        {"A4", "CMYK_C"}, {"A1", "CMYK_M"}, {"A1", nullptr}, {"A3", "CMYK_C"}};
    for (const auto& miss : misses) {
        std::strcpy(buffer, "zz");
        EXPECT_FALSE(table->GetCell(miss.first, miss.second, buffer, sizeof buffer));
        EXPECT_STREQ(buffer, "zz");
    }

    struct NumberCase
    {
        const char* patch;
        const char* field;
        bool found;
        double value;
    };
    const NumberCase numbers[] = {
        {"A1", "CMYK_C", true, 0.5},
        {"A2", "CMYK_C", true, 0.0},
        {"A2", "LONG", true, 1234567890123456789.0},
        {"A3", "LONG", true, 100000.0},
        {"A1", "LONG", true, 0.0},
        {"A9", "CMYK_C", false, -1.0},
        {"A3", "CMYK_C", false, -1.0},
    };
    for (const NumberCase& n : numbers) {
        SCOPED_TRACE(std::string(n.patch) + "/" + n.field);
        double value = -1.0;
        EXPECT_EQ(table->GetCellNumber(n.patch, n.field, value), n.found);
        EXPECT_EQ(value, n.value);
    }
}

TEST(CIt8Table, LoadsFilesAsText)
{
    TargetFiles files;
    EXPECT_FALSE(CIt8Table::Load(QFile::encodeName(files.Write("") + "-missing").constData()));
    EXPECT_FALSE(files.Load(""));
    EXPECT_FALSE(CIt8Table::Load(QFile::encodeName(QDir::tempPath()).constData()));
    EXPECT_FALSE(CIt8Table::Load(nullptr));

    // CR LF reads as LF, so an escaped line end continues the string; a lone CR stays.
    const auto crlf = files.Load(dataTarget("'a\\\r\nb'\r\n'c\\\rd'"));
    ASSERT_TRUE(crlf);
    EXPECT_EQ(readableCells(*crlf), "a\nb|c\rd");

    // A name that runs to the very end of the text keeps its last character.
    const auto unterminated = files.Load("ORIGINATOR 2a1");
    ASSERT_TRUE(unterminated);
    EXPECT_STREQ(unterminated->GetPropertyText("ORIGINATOR"), "2A1");
}

TEST(CIt8Table, NoQueryReachesTheSetBeyondTheCount)
{
    TargetFiles files;
    // One set more than declared is stored, but belongs to no query.
    const auto table = files.Load("NUMBER_OF_SETS 2 BEGIN_DATA_FORMAT SAMPLEID v END_DATA_FORMAT\n"
                                  "BEGIN_DATA A1 1 A2 2 A3 3 END_DATA");
    ASSERT_TRUE(table);
    char cell[8] = "zz";
    ASSERT_TRUE(table->GetCellAt(1, 1, cell, sizeof cell));
    EXPECT_STREQ(cell, "2");
    for (int field = 0; field < 2; ++field) {
        std::strcpy(cell, "zz");
        EXPECT_FALSE(table->GetCellAt(field, 2, cell, sizeof cell)) << "field " << field;
        EXPECT_STREQ(cell, "");
    }
    EXPECT_EQ(table->FindPatchSet("A3"), -1);
    double value = -1.0;
    EXPECT_FALSE(table->GetCellNumber("A3", "v", value));
    EXPECT_EQ(value, -1.0);
}

namespace {

struct SharedNameCase
{
    const char* name;
    int fields;
    std::vector<int> sets; // the sets named alike, the first one first
};

class CIt8TableSharedName : public ::testing::TestWithParam<SharedNameCase>
{
};

} // namespace

// The cells live in pages of 256; the first set of a name must win whichever page holds it.
TEST_P(CIt8TableSharedName, FindsTheFirstSetOfTheName)
{
    const SharedNameCase& c = GetParam();
    const int sets = c.sets.back() + 10;
    QByteArray text = "NUMBER_OF_FIELDS " + QByteArray::number(c.fields) + "\nNUMBER_OF_SETS "
        + QByteArray::number(sets) + "\nBEGIN_DATA_FORMAT\nSAMPLEID";
    for (int field = 1; field < c.fields; ++field)
        text += " V" + QByteArray::number(field);
    text += "\nEND_DATA_FORMAT\nBEGIN_DATA\n";
    for (int set = 0; set < sets; ++set) {
        const bool shared = std::find(c.sets.begin(), c.sets.end(), set) != c.sets.end();
        text += shared ? QByteArray("TWIN") : "P" + QByteArray::number(set);
        for (int field = 1; field < c.fields; ++field)
            text += " " + QByteArray::number(set);
        text += "\n";
    }
    text += "END_DATA\n";
    TargetFiles files;
    const auto table = files.Load(text);
    ASSERT_TRUE(table);
    ASSERT_TRUE(table->IsComplete()) << table->GetReadError();
    EXPECT_EQ(table->FindPatchSet("twin"), c.sets.front());
    double value = -1.0;
    ASSERT_TRUE(table->GetCellNumber("TWIN", "V1", value));
    EXPECT_EQ(value, double(c.sets.front()));
    EXPECT_EQ(table->FindPatchSet("P5"), 5);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CIt8TableSharedName,
    ::testing::Values(SharedNameCase{"setsZeroAnd150", 2, {0, 150}},
                      SharedNameCase{"eitherSideOfAPageEdge", 2, {127, 128}},
                      SharedNameCase{"threePages", 3, {40, 100, 300}},
                      SharedNameCase{"farApart", 7, {3, 700, 1400, 2000}}),
    [](const ::testing::TestParamInfo<SharedNameCase>& info) { return std::string(info.param.name); });
