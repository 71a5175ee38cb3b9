#include "base/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <string>

namespace vandoret {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<double> ParseLocaleDecimal(std::string_view text, const Locale& locale) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    // The text rewritten with '.' as the separator and without a '+' sign, for from_chars.
    std::string normal;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') {
            normal += '-';
        }
        ++i;
    }
    int mantissaDigits = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i, ++mantissaDigits) {
        normal += text[i];
    }
    if (i < text.size() && text[i] == locale.decimalSeparator) {
        normal += '.';
        for (++i; i < text.size() && IsDigit(text[i]); ++i, ++mantissaDigits) {
            normal += text[i];
        }
    }
    if (mantissaDigits == 0) {
        return std::nullopt;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        normal += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            normal += text[i++];
        }
        int exponentDigits = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++exponentDigits) {
            normal += text[i];
        }
        if (exponentDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    // A leading zero for ",5": not every from_chars takes a number that starts with the point.
    const std::size_t point = normal.front() == '-' ? 1 : 0;
    if (normal[point] == '.') {
        normal.insert(normal.begin() + static_cast<std::ptrdiff_t>(point), '0');
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (ec != std::errc() || end != normal.data() + normal.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string_view StartNumberKey(std::string_view number) {
    while (!number.empty() && static_cast<unsigned char>(number.front()) <= ' ') {
        number.remove_prefix(1);
    }
    while (!number.empty() && static_cast<unsigned char>(number.back()) <= ' ') {
        number.remove_suffix(1);
    }
    return number;
}

bool SameStartNumber(std::string_view a, std::string_view b) {
    const std::string_view key = StartNumberKey(a);
    return !key.empty() && key == StartNumberKey(b);
}

} // namespace vandoret
