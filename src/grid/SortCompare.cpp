#include "grid/SortCompare.h"

#include "base/NumberText.h"

#include <cstdint>
#include <cstring>

namespace vandoret {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

int Sign(double a, double b) {
    return a < b ? -1 : (a > b ? 1 : 0);
}

// Days from 30 Dec 1899 to the given date (proleptic Gregorian), as the platform counts dates.
std::optional<double> DaysOfDate(int year, int month, int day) {
    static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) {
        return std::nullopt;
    }
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int monthDays = kDaysInMonth[month - 1] + (month == 2 && leap ? 1 : 0);
    if (day > monthDays) {
        return std::nullopt;
    }
    // Days since 1 Jan 0001 (day 1), then shifted to the 1899 epoch.
    const std::int64_t y = year - 1;
    std::int64_t days = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m) {
        days += kDaysInMonth[m - 1] + (m == 2 && leap ? 1 : 0);
    }
    days += day;
    return static_cast<double>(days - 693594);
}

// Reads up to four digits at pos; nullopt when there are none.
std::optional<int> ScanNumber(std::string_view text, std::size_t& pos, int& digits) {
    digits = 0;
    int value = 0;
    while (pos < text.size() && IsDigit(text[pos]) && digits < 4) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value > 2147483647LL) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

int CompareBytes(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    const int c = n == 0 ? 0 : std::memcmp(a.data(), b.data(), n);
    if (c != 0) {
        return c < 0 ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::string FoldAsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::optional<double> ParseSortNumber(std::string_view text, const Locale& locale) {
    return ParseLocaleDecimal(text, locale);
}

std::optional<double> ParseSortTime(std::string_view text, const Locale& locale) {
    return ParseTimeOfDay(text, locale);
}

std::optional<double> ParseSortDateTime(std::string_view text, const Locale& locale) {
    const std::string_view trimmed = TrimBlanks(text);
    std::size_t pos = 0;
    int digits = 0;
    const auto day = ScanNumber(trimmed, pos, digits);
    if (day && digits <= 2 && pos < trimmed.size() && trimmed[pos] == '.') {
        ++pos;
        const auto month = ScanNumber(trimmed, pos, digits);
        if (month && digits <= 2) {
            int year = 2000;
            if (pos < trimmed.size() && trimmed[pos] == '.') {
                ++pos;
                if (pos < trimmed.size() && IsDigit(trimmed[pos])) {
                    const auto y = ScanNumber(trimmed, pos, digits);
                    if (!y || (digits != 2 && digits != 4)) {
                        return std::nullopt;
                    }
                    year = digits == 2 ? 2000 + *y : *y;
                }
            }
            const auto days = DaysOfDate(year, *month, *day);
            if (!days) {
                return std::nullopt;
            }
            if (pos == trimmed.size()) {
                return *days;
            }
            if (trimmed[pos] != ' ') {
                return std::nullopt;
            }
            const auto time = ParseTimeOfDay(trimmed.substr(pos), locale);
            if (!time) {
                return std::nullopt;
            }
            return *days + *time;
        }
    }
    return ParseTimeOfDay(trimmed, locale);
}

namespace {

constexpr std::size_t kBlankTimeLength = 20;

std::size_t DurationTextLength(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos ? kBlankTimeLength : text.size();
}

} // namespace

int CompareDurationText(std::string_view a, std::string_view b) {
    const std::size_t lenA = DurationTextLength(a);
    const std::size_t lenB = DurationTextLength(b);
    if (lenA == lenB) {
        return CompareBytes(a, b);
    }
    return lenA > lenB ? 1 : -1;
}

int CompareNumberedText(std::string_view a, std::string_view b) {
    if (a.empty() || b.empty()) {
        return -1;
    }
    // Drop the positions where both hold the same non-digit; at the last common position take the
    // whole rest of each text instead of one character.
    const std::size_t n = std::min(a.size(), b.size());
    std::string ra, rb;
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] == b[i] && !IsDigit(a[i])) {
            continue;
        }
        if (i + 1 < n) {
            ra += a[i];
            rb += b[i];
        } else {
            ra.append(a.substr(i));
            rb.append(b.substr(i));
        }
    }
    // Trim common non-digit endings, judged on the texts as they stood before trimming.
    const std::string ra0 = ra, rb0 = rb;
    const std::size_t m = std::min(ra0.size(), rb0.size());
    for (std::size_t j = 0; j < m; ++j) {
        const char ca = ra0[ra0.size() - 1 - j];
        const char cb = rb0[rb0.size() - 1 - j];
        if (ca == cb && !IsDigit(ca) && !ra.empty() && !rb.empty()) {
            ra.pop_back();
            rb.pop_back();
        }
    }
    if (ra == rb) {
        return 0;
    }
    const auto na = ParseWholeNumber(ra);
    const auto nb = ParseWholeNumber(rb);
    if (na && nb) {
        return *na < *nb ? -1 : 1;
    }
    return CompareBytes(ra, rb);
}

namespace {

bool ConvertsByValue(TSortStyle style) {
    return style == TSortStyle::ssNumeric || style == TSortStyle::ssDateTime || style == TSortStyle::ssTime;
}

std::optional<double> ConvertForStyle(std::string_view text, const TSortOptions& options) {
    switch (options.SortStyle) {
    case TSortStyle::ssNumeric:
        return ParseSortNumber(text, options.SortLocale);
    case TSortStyle::ssDateTime:
        return ParseSortDateTime(text, options.SortLocale);
    case TSortStyle::ssTime:
        return ParseSortTime(text, options.SortLocale);
    default:
        return std::nullopt;
    }
}

const TSortOptions& OptionsOf(const TSortedListEntry& entry) {
    static const TSortOptions kDefaults;
    return entry.Options ? *entry.Options : kDefaults;
}

} // namespace

TSortKey MakeSortKey(const TSortedListEntry& entry) {
    const TSortOptions& options = OptionsOf(entry);
    TSortKey key;
    key.Str = options.SortCaseSensitive ? entry.Str : FoldAsciiLower(entry.Str);
    key.Value = ConvertForStyle(key.Str, options);
    key.Position = entry.Position;
    return key;
}

int CompareSortKeys(const TSortKey& a, const TSortKey& b, const TSortOptions& options) {
    int result = 0;
    if (ConvertsByValue(options.SortStyle)) {
        result = a.Value && b.Value ? Sign(*a.Value, *b.Value) : CompareBytes(a.Str, b.Str);
    } else if (options.SortStyle == TSortStyle::ssNumericExtended) {
        result = CompareNumberedText(a.Str, b.Str);
    } else if (options.SortStyle == TSortStyle::ssCustom && options.CustomCompare) {
        result = options.CustomCompare(a.Str, b.Str);
    } else {
        result = CompareBytes(a.Str, b.Str);
    }
    if (result == 0) {
        return a.Position < b.Position ? -1 : (a.Position > b.Position ? 1 : 0);
    }
    return options.SortDirection == TSortDirection::sdDescending ? -result : result;
}

int CompareSortEntries(const TSortedListEntry& a, const TSortedListEntry& b) {
    const TSortOptions& options = a.Options ? *a.Options : OptionsOf(b);
    TSortedListEntry ea = a, eb = b;
    ea.Options = eb.Options = &options;
    return CompareSortKeys(MakeSortKey(ea), MakeSortKey(eb), options);
}

} // namespace vandoret
