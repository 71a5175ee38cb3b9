// The text form of a registry export ("Windows Registry Editor Version 5.00"), in which the
// settings file of the program is kept outside Windows.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Kronvale\Vandoret]
//   "Left"=dword:0000014d
//   "BaseName"="Starterliste.txt"
//   "tempo"=hex:00,00,00,00,00,00,6e,40
//   "Path"=hex(2):25,00,41,00,00,00
//
// Texts are UTF-8 in the file; a REG_SZ is written in quotes with \ and " escaped, unless it holds
// control characters, which a quoted line cannot carry: then it is written as hex(1): like a
// REG_EXPAND_SZ as hex(2):, both UTF-16LE with the terminating zero, as regedit does. Long hex
// values are wrapped with a trailing backslash. CR LF line ends are written; LF alone is read too.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/SettingsStore.h"

namespace vandoret {

struct RegFile {
    std::string key; // the key path without brackets
    std::vector<std::pair<std::string, RegValue>> values;

    // The value of that name; nullptr when there is none.
    const RegValue* Find(const std::string& name) const;
    // Replaces the value of that name (A-Z in either case) in place, keeping the spelling the name
    // had, or appends it. An unreadable line takes the spelling of its own line, which it is written as.
    void Set(const std::string& name, const RegValue& value);
};

std::string FormatRegFile(const RegFile& file);

// nullopt for anything that is not a well-formed export of exactly one key (a damaged file).
// Never throws on any input.
std::optional<RegFile> ParseRegFile(std::string_view text);

// UTF-8 to UTF-16LE bytes (without terminator) and back. Bytes that are not valid UTF-8 are carried
// as the code units U+DC80..U+DCFF, so any byte string comes back unchanged.
std::vector<std::uint8_t> Utf8ToUtf16Le(std::string_view text);
std::string Utf16LeToUtf8(const std::uint8_t* data, std::size_t size);

} // namespace vandoret
