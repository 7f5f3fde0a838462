#include "parameter_file.h"

#include "save_file.h"

#include "model/fields.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>
#include <vector>

namespace velmora::files {

namespace {

constexpr std::uint32_t kFormatNumber = 43;
constexpr std::string_view kKey = "KORVANTA_KEY";
constexpr std::string_view kExtMon = "EXT_MON";
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::size_t kKeywordWidth = 12;

// ---- Writing ------------------------------------------------------------------------------

// The numbers the file holds for a field's points: a flag as 0 or 1, the shown value printed
// unsigned, or the one signed field as it is.
long flagValue(const DeviceImage &image, Field field, std::size_t index)
{
    return image[fieldDef(field).offset + index] != 0 ? 1 : 0;
}
long unsignedValue(const DeviceImage &image, Field field, std::size_t index)
{
    return static_cast<unsigned>(shownValue(image, field, index));
}
long signedValue(const DeviceImage &image, Field field, std::size_t index)
{
    return shownValue(image, field, index);
}

class TextWriter {
public:
    explicit TextWriter(const DeviceImage &image) : m_image(image) { m_out.reserve(4096); }

    void text(std::string_view s) { m_out += s; }
    void lineEnd() { m_out += kLineEnd; }
    // A keyword at the start of a new line, padded with blanks to its field's width.
    void keywordLine(std::string_view keyword, std::size_t width = kKeywordWidth)
    {
        lineEnd();
        m_out += keyword;
        if (keyword.size() < width)
            m_out.append(width - keyword.size(), ' ');
    }
    void keyNumber(unsigned value) { padded(value, 3); }
    void values(Field field)
    {
        for (std::size_t i = 0; i < fieldDef(field).count; ++i)
            padded(unsignedValue(m_image, field, i), 5);
    }
    void signedValues(Field field)
    {
        for (std::size_t i = 0; i < fieldDef(field).count; ++i)
            padded(signedValue(m_image, field, i), 5);
    }
    // One map row to a line, so that the file shows the map as the table users know; every row
    // ends with the indent of a continuation line, the last one included.
    void mapRows(Field field)
    {
        const std::size_t count = fieldDef(field).count;
        for (std::size_t i = 0; i < count; ++i) {
            padded(unsignedValue(m_image, field, i), 5);
            if ((i + 1) % layout::kMapSide == 0) {
                lineEnd();
                m_out.append(kKeywordWidth, ' ');
            }
        }
    }
    // A byte the file holds only as 0 or 1, in six characters with no blank after.
    void flag(Field field) { text(flagValue(m_image, field, 0) != 0 ? "     1" : "     0"); }
    void extendedMonitor(bool ticked) { text(ticked ? "    1" : "    0"); }

    std::string take() { return std::move(m_out); }

private:
    // As printf's "%*d ": right-aligned in `width`, then one blank. Written by hand, as the
    // formatting was most of the time a file took to write.
    void padded(long value, std::size_t width)
    {
        std::array<char, 24> digits{};
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
        const auto length = static_cast<std::size_t>(end - digits.data());
        if (length < width)
            m_out.append(width - length, ' ');
        m_out.append(digits.data(), length);
        m_out += ' ';
    }

    const DeviceImage &m_image;
    std::string m_out;
};

// The same walk as TextWriter, keeping the values instead of the text: what the file holds
// under which keyword, and the byte each value comes from.
class ValueLister {
public:
    explicit ValueLister(const DeviceImage &image) : m_image(image) {}

    void text(std::string_view) {}
    void lineEnd() {}
    void keywordLine(std::string_view keyword, std::size_t = kKeywordWidth)
    {
        m_keyword = keyword;
        m_index = 0;
    }
    void keyNumber(unsigned) {}
    void values(Field field) { add(field, &unsignedValue, true); }
    void signedValues(Field field) { add(field, &signedValue, true); }
    void mapRows(Field field) { values(field); }
    void flag(Field field) { add(field, &flagValue, false); }
    void extendedMonitor(bool) {}

    std::vector<FileValue> take() { return std::move(m_values); }

private:
    void add(Field field, long (*value)(const DeviceImage &, Field, std::size_t), bool whole)
    {
        const FieldDef &def = fieldDef(field);
        for (std::size_t i = 0; i < def.count; ++i)
            m_values.push_back(
                {m_keyword, m_index++, value(m_image, field, i), def.offset + i, whole});
    }

    const DeviceImage &m_image;
    std::string_view m_keyword;
    std::size_t m_index = 0;
    std::vector<FileValue> m_values;
};

struct MapLines {
    std::string_view axisKeyword;
    Field axis;
    std::string_view mapKeyword;
    Field map;
};

constexpr MapLines kMaps[] = {
    {"RPM_JET_TP", Field::RpmJetTp, "JET_TP", Field::JetTp},
    {"RPM_JET_TPi", Field::RpmJetTpi, "JET_TPi", Field::JetTpi},
    {"RPM_JET_IAP", Field::RpmJetIap, "JET_IAP", Field::JetIap},
};

// ---- Reading ------------------------------------------------------------------------------

// A keyword and the fields its values fill, in reading order; each field takes as many values
// as it has points.
struct Keyword {
    std::string_view word;
    std::array<Field, 5> fields;
    std::size_t fieldCount;
};

constexpr Keyword kKeywords[] = {
    {"RPM_ADV", {Field::RpmAdv}, 1},
    {"ADVANCE", {Field::Advance}, 1},
    {"RPM", {Field::RpmPulses, Field::RpmCorrection}, 2},
    {"LIMITER2", {Field::Limiter2}, 1},
    {"PILOT_LIGHT", {Field::PilotLight, Field::IntakeValve}, 2},
    {"BIKE", {Field::Bike}, 1},
    {"BLOK_ENABLE", {Field::BlokEnable}, 1},
    {"IAP_TO_TPS", {Field::IapToTps}, 1},
    {"TPS_MODE", {Field::TpsMode}, 1},
    {"RPM_JET_TP", {Field::RpmJetTp}, 1},
    {"JET_TP", {Field::JetTp}, 1},
    {"RPM_JET_TPi", {Field::RpmJetTpi}, 1},
    {"JET_TPi", {Field::JetTpi}, 1},
    {"RPM_JET_IAP", {Field::RpmJetIap}, 1},
    {"JET_IAP", {Field::JetIap}, 1},
    {"TPS", {Field::TpsClosed, Field::TpsOpen}, 2},
    {"ACCEL", {Field::AccelThreshold, Field::AccelSize}, 2},
    {"START_JET", {Field::StartJet}, 1},
    {"COOLING", {Field::Cooling}, 1},
    {"WATER_TEMP", {Field::WaterTemp}, 1},
    // The second CHOKE line has no keyword of its own: its four values follow the first four.
    {"CHOKE", {Field::ChokeTimes, Field::ChokeCorrections}, 2},
    {"AIR_TEMP", {Field::AirTemp}, 1},
    {"PRIV_ENABLE", {Field::PrivEnable}, 1},
    {"PRIV_HYSTER", {Field::PrivHyster}, 1},
    {"RPM_PRIV", {Field::RpmPriv}, 1},
    {"NAP_PRIV", {Field::NapPriv}, 1},
    {"TUNING",
     {Field::TuningLambda, Field::TuningHyster, Field::TuningRpm, Field::TuningTps,
      Field::TuningTime},
     5},
};

bool isSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}

constexpr int kEnd = -1;

// What the reader needs of a word: enough of its start to tell a keyword, and its value when
// it is a number. Nothing grows with the word's length, so no input can exhaust memory here.
class Word {
public:
    void clear() { *this = Word(); }

    void add(char c)
    {
        if (m_length < m_head.size())
            m_head[m_length] = c;
        if (m_length == 0 && (c == '+' || c == '-')) {
            m_negative = c == '-';
        } else if (isDigit(static_cast<unsigned char>(c))) {
            m_value = m_value * 10u + static_cast<std::uint32_t>(c - '0');
            m_digits = true;
        } else {
            m_other = true;
        }
        ++m_length;
    }

    bool is(std::string_view keyword) const
    {
        return m_length == keyword.size() && m_length <= m_head.size() &&
               std::string_view(m_head.data(), m_length) == keyword;
    }
    bool isNumber() const { return m_digits && !m_other; }
    // Unsigned 32-bit arithmetic wraps, which gives the modulo 2^32 reading for free.
    std::uint32_t value() const { return m_negative ? 0u - m_value : m_value; }

private:
    std::array<char, 16> m_head{}; // longer than every keyword
    std::size_t m_length = 0;
    std::uint32_t m_value = 0;
    bool m_negative = false;
    bool m_digits = false;
    bool m_other = false;
};

template <typename Next> class WordReader {
public:
    explicit WordReader(Next next) : m_next(next) {}

    // False at the end of the text.
    bool read(Word &word)
    {
        word.clear();
        int c = m_next();
        while (isSpace(c))
            c = m_next();
        if (c == kEnd)
            return false;
        while (c != kEnd && !isSpace(c)) {
            word.add(static_cast<char>(c));
            c = m_next();
        }
        return true;
    }

private:
    Next m_next;
};

const Keyword *findKeyword(const Word &word)
{
    for (const Keyword &k : kKeywords)
        if (word.is(k.word))
            return &k;
    return nullptr;
}

// Words before the accepted key are never looked at as keywords: a file may carry any preamble,
// including an older key with another format number.
template <typename Next> bool findKey(WordReader<Next> &words, Word &word)
{
    bool have = words.read(word);
    while (have) {
        if (!word.is(kKey)) {
            have = words.read(word);
            continue;
        }
        have = words.read(word);
        if (have && word.isNumber() && word.value() == kFormatNumber)
            return true;
        // A word after the key that is no number may be the next key itself.
        if (have && word.isNumber())
            have = words.read(word);
    }
    return false;
}

// Only the low 16 bits of a value count: the divisions work on 16-bit numbers, and the stored
// byte is the low 8 bits of the result.
void store(DeviceImage &image, Field field, std::size_t index, std::uint32_t value)
{
    setShownValue(image, field, static_cast<long>(value & 0xFFFFu), index);
}

template <typename Next>
ParameterReadResult readParameters(Next next, DeviceImage &image, bool &extendedMonitor)
{
    WordReader<Next> words(next);
    Word word;
    ParameterReadResult result;
    if (!findKey(words, word))
        return result;
    result.accepted = true;

    bool have = words.read(word);
    while (have) {
        if (word.is(kExtMon)) {
            have = words.read(word);
            if (have && word.isNumber()) {
                result.extendedMonitor = word.value() != 0;
                have = words.read(word);
            }
            continue;
        }
        const Keyword *keyword = findKeyword(word);
        if (keyword == nullptr) {
            have = words.read(word); // comments, surplus numbers, anything else
            continue;
        }
        bool complete = true;
        for (std::size_t f = 0; f < keyword->fieldCount && complete; ++f) {
            const Field field = keyword->fields[f];
            for (std::size_t i = 0; i < fieldDef(field).count && complete; ++i) {
                have = words.read(word);
                complete = have && word.isNumber();
                if (complete)
                    store(image, field, i, word.value());
            }
        }
        // An incomplete list leaves its offending word to be looked at as a keyword.
        if (complete)
            have = words.read(word);
    }
    if (result.extendedMonitor)
        extendedMonitor = *result.extendedMonitor;
    return result;
}

template <typename Out> void writeParameters(Out &w, bool extendedMonitor)
{
    using namespace layout;

    w.text(kKey);
    w.text("  ");
    w.keyNumber(kFormatNumber);
    w.keywordLine("RPM_ADV");
    w.values(Field::RpmAdv);
    w.keywordLine("ADVANCE");
    w.values(Field::Advance);
    w.lineEnd();

    w.keywordLine("RPM", kKeywordWidth + 1);
    w.values(Field::RpmPulses);
    w.signedValues(Field::RpmCorrection);
    w.keywordLine("LIMITER2");
    w.values(Field::Limiter2);
    w.keywordLine("PILOT_LIGHT");
    w.values(Field::PilotLight);
    w.values(Field::IntakeValve);
    w.lineEnd();

    w.keywordLine("BIKE");
    w.values(Field::Bike);
    w.keywordLine(kExtMon);
    w.extendedMonitor(extendedMonitor);
    w.keywordLine("BLOK_ENABLE");
    w.values(Field::BlokEnable);
    w.keywordLine("IAP_TO_TPS");
    w.values(Field::IapToTps);
    w.keywordLine("TPS_MODE");
    w.values(Field::TpsMode);
    w.lineEnd();

    for (std::size_t m = 0; m < std::size(kMaps); ++m) {
        w.keywordLine(kMaps[m].axisKeyword);
        w.values(kMaps[m].axis);
        w.keywordLine(kMaps[m].mapKeyword);
        w.mapRows(kMaps[m].map);
        if (m + 1 < std::size(kMaps))
            w.lineEnd();
    }

    w.keywordLine("TPS");
    w.values(Field::TpsClosed);
    w.values(Field::TpsOpen);
    w.keywordLine("ACCEL");
    w.values(Field::AccelThreshold);
    w.values(Field::AccelSize);
    w.keywordLine("START_JET");
    w.values(Field::StartJet);
    w.keywordLine("COOLING");
    w.values(Field::Cooling);
    w.keywordLine("WATER_TEMP");
    w.values(Field::WaterTemp);
    w.keywordLine("CHOKE");
    w.values(Field::ChokeTimes);
    w.lineEnd();
    w.values(Field::ChokeCorrections);
    w.keywordLine("AIR_TEMP");
    w.values(Field::AirTemp);
    w.lineEnd();

    // These two keywords stand unpadded; their values bring their own leading blank instead.
    w.keywordLine("PRIV_ENABLE", 0);
    w.flag(Field::PrivEnable);
    w.keywordLine("PRIV_HYSTER", 0);
    w.text(" ");
    w.values(Field::PrivHyster);
    w.keywordLine("RPM_PRIV");
    w.values(Field::RpmPriv);
    w.keywordLine("NAP_PRIV");
    w.values(Field::NapPriv);
    w.lineEnd();

    w.keywordLine("TUNING");
    w.values(Field::TuningLambda);
    w.values(Field::TuningHyster);
    w.values(Field::TuningRpm);
    w.values(Field::TuningTps);
    w.values(Field::TuningTime);
}

} // namespace

std::string writeParameterText(const DeviceImage &image, bool extendedMonitor)
{
    TextWriter w(image);
    writeParameters(w, extendedMonitor);
    return w.take();
}

std::vector<FileValue> parameterValues(const DeviceImage &image)
{
    ValueLister w(image);
    writeParameters(w, false);
    return w.take();
}

ParameterReadResult readParameterText(std::string_view text, DeviceImage &image,
                                      bool &extendedMonitor)
{
    std::size_t at = 0;
    return readParameters(
        [&]() { return at < text.size() ? static_cast<unsigned char>(text[at++]) : kEnd; }, image,
        extendedMonitor);
}

bool saveParameterFile(const std::filesystem::path &path, const DeviceImage &image,
                       bool extendedMonitor)
{
    return saveFile(path, writeParameterText(image, extendedMonitor)) == SaveResult::Saved;
}

std::optional<bool> loadParameterFile(const std::filesystem::path &path, DeviceImage &image,
                                      bool &extendedMonitor)
{
    std::ifstream in;
    if (!openForReading(path, in))
        return std::nullopt;
    // Streamed rather than read into one string, so that a huge file costs no memory.
    std::streambuf *buffer = in.rdbuf();
    const ParameterReadResult result = readParameters(
        [buffer]() {
            const auto c = buffer->sbumpc();
            return c == std::char_traits<char>::eof() ? kEnd : static_cast<int>(c);
        },
        image, extendedMonitor);
    return result.accepted;
}

} // namespace velmora::files
