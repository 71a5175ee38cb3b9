// Typed values under one settings key, as the Windows registry holds them.
//
// Backends: the registry under HKEY_CURRENT_USER (Windows), a text file in the registry export
// format (elsewhere), and memory (tests). A backend never throws; what it cannot do it reports
// by its return values.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vandoret {

// Other stands for any further registry type (REG_QWORD, REG_MULTI_SZ, REG_NONE, ...): its type
// number is kept in dword and its bytes in binary, so a value of a foreign type reads as present
// but mistyped. Unreadable is a line of the text-file store that could not be read: its text is
// kept in text, it reads as present but mistyped, and the file is written back with the line as
// it stood unless the value is replaced. The registry never holds one.
enum class RegType { Dword, Sz, ExpandSz, Binary, Other, Unreadable };

struct RegValue {
    RegType type = RegType::Dword;
    std::uint32_t dword = 0;          // Dword
    std::string text;                 // Sz, ExpandSz (UTF-8)
    std::vector<std::uint8_t> binary; // Binary

    static RegValue Dword(std::uint32_t v) { return RegValue{RegType::Dword, v, {}, {}}; }
    static RegValue Sz(std::string v) { return RegValue{RegType::Sz, 0, std::move(v), {}}; }
    static RegValue ExpandSz(std::string v) { return RegValue{RegType::ExpandSz, 0, std::move(v), {}}; }
    static RegValue Binary(std::vector<std::uint8_t> v) { return RegValue{RegType::Binary, 0, {}, std::move(v)}; }
    static RegValue Other(std::uint32_t regType, std::vector<std::uint8_t> v) {
        return RegValue{RegType::Other, regType, {}, std::move(v)};
    }
    static RegValue Unreadable(std::string line) { return RegValue{RegType::Unreadable, 0, std::move(line), {}}; }
    bool operator==(const RegValue&) const = default;
};

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Opens the key for reading without creating it; false when it does not exist or is unreadable.
    virtual bool OpenForRead() = 0;
    // Opens the key for writing, creating it and its parents; false when that fails.
    virtual bool OpenForWrite() = 0;
    // A value of the open key; nullopt when missing.
    virtual std::optional<RegValue> Read(const std::string& name) = 0;
    virtual void Write(const std::string& name, const RegValue& value) = 0;
    // Closes the key; a key opened for writing is committed here.
    virtual void Close() = 0;
};

// The store of this platform for a program's settings: the registry key
// HKEY_CURRENT_USER\Software\Kronvale\<title> on Windows, the file <title>.reg in the folder
// "Kronvale" of the user's configuration folder elsewhere.
std::unique_ptr<SettingsStore> MakeSettingsStore(const std::string& applicationTitle);
// Where that store keeps the settings, for the operator to read (UTF-8): the registry key on
// Windows, the file's full name elsewhere; empty when no folder is known.
std::string SettingsPlace(const std::string& applicationTitle);

} // namespace vandoret
