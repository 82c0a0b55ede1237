#include "groups/setpoint_csv.h"

#include "panel/api/message_box.h"
#include "state/app_state.h"
#include "state/text.h"

#include <algorithm>
#include <array>
#include <optional>

namespace setpoint_csv {

namespace {

const char kReplacement[] = "\xEF\xBF\xBD"; // U+FFFD
const std::array<const char *, 4> kColumns = {"channel", "name", "voltage_v", "sink_ma"};
// A spreadsheet takes a cell that begins with one of these for a formula.
// Such a name is written after an apostrophe, which reading drops again.
const std::string_view kFormulaStart = "=+-@'";

// The code point at text[i], i moved past it; nothing for a byte that begins
// no well-formed UTF-8 sequence (i moved past that byte).
std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t &i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    // The sequence's length, the lead byte's bits and the least code point
    // that needs that length.
    struct Form {
        unsigned char mask, bits;
        std::size_t length;
        char32_t least;
    };
    constexpr Form forms[] = {{0xE0, 0xC0, 2, 0x80}, {0xF0, 0xE0, 3, 0x800}, {0xF8, 0xF0, 4, 0x10000}};
    const Form *form = std::find_if(std::begin(forms), std::end(forms),
                                    [lead](const Form &f) { return (lead & f.mask) == f.bits; });
    if (form == std::end(forms)) {
        ++i;
        return std::nullopt;
    }
    const std::size_t length = form->length;
    const char32_t least = form->least;
    char32_t cp = lead & static_cast<unsigned char>(~form->mask);
    for (std::size_t k = 1; k < length; ++k) {
        if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return std::nullopt;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) { // overlong, beyond, surrogate
        ++i;
        return std::nullopt;
    }
    i += length;
    return cp;
}

std::string_view trimmed(std::string_view s)
{
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The fields of one line: separated by commas, each either as it stands or
// in double quotes, where "" is one quote. Empty with `why` for a line whose
// quotes do not close.
std::vector<std::string> fieldsOf(std::string_view line, std::string &why)
{
    std::vector<std::string> fields;
    std::size_t i = 0;
    for (;;) {
        std::string field;
        if (i < line.size() && line[i] == '"') {
            for (++i;; ++i) {
                if (i >= line.size()) {
                    why = "a quote is not closed";
                    return {};
                }
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        ++i;
                    } else {
                        ++i;
                        break;
                    }
                }
                field += line[i];
            }
            if (i < line.size() && line[i] != ',') {
                why = "text follows a closing quote";
                return {};
            }
        } else {
            const std::size_t end = std::min(line.find(',', i), line.size());
            field = line.substr(i, end - i);
            i = end;
        }
        fields.push_back(std::move(field));
        if (i >= line.size())
            return fields;
        ++i; // the comma
    }
}

enum class Number { Ok, NotANumber, TooFine, TooLarge };

// A decimal number with a dot, blanks around it allowed, in units of
// 10^-decimals; further decimals must be zeros.
Number fixedPoint(std::string_view field, int decimals, int32_t max, int32_t &value)
{
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    constexpr int64_t kHuge = 1'000'000'000'000; // far above every limit; no overflow below it
    field = trimmed(field);
    std::size_t i = 0;
    int64_t v = 0;
    for (; i < field.size() && digit(field[i]); ++i)
        v = std::min(v * 10 + (field[i] - '0'), kHuge);
    if (i == 0)
        return Number::NotANumber;
    int taken = 0;
    bool finer = false;
    if (i < field.size() && field[i] == '.') {
        const std::size_t first = ++i;
        for (; i < field.size() && digit(field[i]); ++i) {
            if (taken < decimals) {
                v = v * 10 + (field[i] - '0');
                ++taken;
            } else if (field[i] != '0') {
                finer = true;
            }
        }
        if (i == first)
            return Number::NotANumber;
    }
    if (i != field.size())
        return Number::NotANumber;
    for (; taken < decimals; ++taken)
        v *= 10;
    if (finer)
        return Number::TooFine;
    if (v > max)
        return Number::TooLarge;
    value = static_cast<int32_t>(v);
    return Number::Ok;
}

// A field as a refusal quotes it: printable and short.
std::string quoted(std::string_view field)
{
    const std::string shown = text::leftCharacters(std::string(field), 20);
    std::string q(1, '"');
    q += printable(shown);
    q += shown.size() < field.size() ? "...\"" : "\"";
    return q;
}

std::string nameField(const std::string &name)
{
    std::string field = name;
    if (!field.empty() && kFormulaStart.find(field.front()) != std::string_view::npos)
        field.insert(0, 1, '\'');
    const bool quote = field.find_first_of(",\"") != std::string::npos ||
                       (!field.empty() && (field.front() == ' ' || field.back() == ' '));
    if (!quote)
        return field;
    std::string q = "\"";
    for (const char c : field) {
        if (c == '"')
            q += '"';
        q += c;
    }
    return q + "\"";
}

// The problem of one channel row, or empty; `seen` holds the row each
// channel stood in so far.
std::string rowProblem(const std::vector<std::string> &fields, std::array<int, kChannels + 1> &seen, int rowNumber, Row &row)
{
    if (fields.size() != kColumns.size())
        return std::to_string(kColumns.size()) + " fields expected (" + kHeader + "), found " +
               std::to_string(fields.size());
    int32_t channel = 0;
    if (fixedPoint(fields[0], 0, kChannels, channel) != Number::Ok || channel < 1)
        return "channel " + quoted(fields[0]) + " is not a channel number from 1 to 42";
    if (seen[static_cast<std::size_t>(channel)] != 0)
        return "channel " + std::to_string(channel) + " again (first in row " +
               std::to_string(seen[static_cast<std::size_t>(channel)]) + ")";
    seen[static_cast<std::size_t>(channel)] = rowNumber;
    row.channel = channel;
    const std::string of = " of channel " + std::to_string(channel);

    row.name = fields[1];
    if (!row.name.empty() && row.name.front() == '\'')
        row.name.erase(0, 1);
    if (const std::string problem = nameProblem(row.name); !problem.empty())
        return "the name" + of + " " + problem;

    switch (fixedPoint(fields[2], 3, kMaxMillivolts, row.millivolts)) {
    case Number::Ok:
        break;
    case Number::NotANumber:
        return "voltage " + quoted(fields[2]) + of + " is not a number of volts (with a dot)";
    case Number::TooFine:
        return "voltage " + quoted(fields[2]) + of + " has more than three decimals";
    case Number::TooLarge:
        return "voltage " + quoted(fields[2]) + of + " is above 7 V";
    }
    switch (fixedPoint(fields[3], 0, kMaxSinkMilliamps, row.sinkMilliamps)) {
    case Number::Ok:
        break;
    case Number::NotANumber:
    case Number::TooFine:
        return "sink current " + quoted(fields[3]) + of + " is not a whole number of mA";
    case Number::TooLarge:
        return "sink current " + quoted(fields[3]) + of + " is above 100 mA";
    }
    return {};
}

bool isHeader(const std::vector<std::string> &fields)
{
    if (fields.size() != kColumns.size())
        return false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string name(trimmed(fields[i]));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
        if (name != kColumns[i])
            return false;
    }
    return true;
}

} // namespace

std::string nameProblem(std::string_view name)
{
    std::size_t units = 0; // UTF-16, as the field counts: beyond U+FFFF a character takes two
    for (std::size_t i = 0; i < name.size();) {
        const std::optional<char32_t> c = nextCodePoint(name, i);
        if (!c)
            return "is not UTF-8 text";
        if (ui::isControlCharacter(*c))
            return "holds a control character";
        if (ui::isBidiControl(*c))
            return "holds a bidirectional control character";
        units += *c > 0xFFFF ? 2 : 1;
    }
    if (units > kNameLimit)
        return "is longer than " + std::to_string(kNameLimit) + " characters";
    return {};
}

std::string printable(std::string_view text)
{
    std::string shown;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const std::optional<char32_t> c = nextCodePoint(text, i);
        if (!c || ui::forgesLogText(*c))
            shown += kReplacement;
        else
            shown.append(text.substr(start, i - start));
    }
    return shown;
}

std::string write(const std::vector<Row> &rows)
{
    std::string csv = std::string(kHeader) + "\n";
    for (const Row &r : rows) {
        const std::string thousandths = std::to_string(1000 + r.millivolts % 1000).substr(1);
        csv += std::to_string(r.channel) + "," + nameField(r.name) + "," + std::to_string(r.millivolts / 1000) + "." +
               thousandths + "," + std::to_string(r.sinkMilliamps) + "\n";
    }
    return csv;
}

Parsed read(std::string_view text)
{
    Parsed parsed;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") // the byte order mark a spreadsheet may write
        text.remove_prefix(3);
    if (text.find('\0') != std::string_view::npos) {
        parsed.error = "it holds binary data, not text";
        return parsed;
    }
    if (text.empty()) {
        parsed.error = "it is empty";
        return parsed;
    }
    std::array<int, kChannels + 1> seen{};
    int rowNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++rowNumber;
        const std::string at = "row " + std::to_string(rowNumber) + ": ";
        std::string why;
        const std::vector<std::string> fields = fieldsOf(line, why);
        if (!why.empty()) {
            parsed.error = at + why;
            break;
        }
        if (rowNumber == 1) {
            if (!isHeader(fields)) {
                parsed.error = at + "not the header " + kHeader;
                break;
            }
            continue;
        }
        // Rows a spreadsheet leaves empty, or with empty cells only.
        if (std::all_of(fields.begin(), fields.end(), [](const std::string &f) { return trimmed(f).empty(); }))
            continue;
        Row row;
        if (const std::string problem = rowProblem(fields, seen, rowNumber, row); !problem.empty()) {
            parsed.error = at + problem;
            break;
        }
        parsed.rows.push_back(std::move(row));
    }
    if (parsed.error.empty() && parsed.rows.empty())
        parsed.error = "no channel follows the header";
    if (!parsed.error.empty())
        parsed.rows.clear();
    return parsed;
}

} // namespace setpoint_csv
