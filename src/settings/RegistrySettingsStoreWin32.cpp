// The settings key in the registry of the current user.
#include "settings/RegistrySettingsStoreWin32.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "settings/RegFileFormat.h"

namespace vandoret {
namespace {

// UTF-8 to UTF-16 as the wide registry functions take it; bytes that are not UTF-8 travel as
// lone surrogates and come back unchanged.
std::wstring Wide(const std::string& text) {
    const std::vector<std::uint8_t> bytes = Utf8ToUtf16Le(text);
    std::wstring out(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<wchar_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return out;
}

HKEY Key(void* key) {
    return static_cast<HKEY>(key);
}

} // namespace

RegistrySettingsStore::RegistrySettingsStore(const std::string& applicationTitle)
    : path_(Wide("Software\\Kronvale\\" + applicationTitle)) {}

RegistrySettingsStore::~RegistrySettingsStore() {
    Close();
}

bool RegistrySettingsStore::OpenForRead() {
    Close();
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return false;
    }
    key_ = key;
    return true;
}

bool RegistrySettingsStore::OpenForWrite() {
    Close();
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    key_ = key;
    return true;
}

std::optional<RegValue> RegistrySettingsStore::Read(const std::string& name) {
    if (key_ == nullptr) {
        return std::nullopt;
    }
    const std::wstring wname = Wide(name);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(Key(key_), wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> data(size);
    LONG rc = ERROR_MORE_DATA;
    // The value may grow between the two calls; ask again with the new size.
    for (int attempt = 0; attempt < 4 && rc == ERROR_MORE_DATA; ++attempt) {
        size = static_cast<DWORD>(data.size());
        rc = RegQueryValueExW(Key(key_), wname.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
        if (rc == ERROR_MORE_DATA) {
            data.resize(size);
        }
    }
    if (rc != ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size);
    switch (type) {
    case REG_DWORD:
        if (data.size() != 4) {
            return RegValue::Other(type, std::move(data));
        }
        return RegValue::Dword(static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
                               static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24);
    case REG_SZ:
    case REG_EXPAND_SZ: {
        // Taken as stored (no expansion), up to the first terminating zero.
        std::size_t units = data.size() / 2;
        for (std::size_t i = 0; i < units; ++i) {
            if (data[2 * i] == 0 && data[2 * i + 1] == 0) {
                units = i;
                break;
            }
        }
        std::string text = Utf16LeToUtf8(data.data(), units * 2);
        return type == REG_SZ ? RegValue::Sz(std::move(text)) : RegValue::ExpandSz(std::move(text));
    }
    case REG_BINARY:
        return RegValue::Binary(std::move(data));
    default:
        return RegValue::Other(type, std::move(data));
    }
}

void RegistrySettingsStore::Write(const std::string& name, const RegValue& value) {
    if (key_ == nullptr) {
        return;
    }
    const std::wstring wname = Wide(name);
    std::vector<std::uint8_t> data;
    DWORD type = REG_BINARY;
    switch (value.type) {
    case RegType::Dword:
        type = REG_DWORD;
        for (int i = 0; i < 4; ++i) {
            data.push_back(static_cast<std::uint8_t>(value.dword >> (8 * i)));
        }
        break;
    case RegType::Sz:
    case RegType::ExpandSz:
        type = value.type == RegType::Sz ? REG_SZ : REG_EXPAND_SZ;
        data = Utf8ToUtf16Le(value.text);
        data.push_back(0);
        data.push_back(0);
        break;
    case RegType::Binary:
        data = value.binary;
        break;
    case RegType::Other:
        type = value.dword;
        data = value.binary;
        break;
    case RegType::Unreadable:
        return; // a line of the text store; nothing the registry could hold
    }
    RegSetValueExW(Key(key_), wname.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                   static_cast<DWORD>(data.size()));
}

void RegistrySettingsStore::Close() {
    if (key_ != nullptr) {
        RegCloseKey(Key(key_));
        key_ = nullptr;
    }
}

} // namespace vandoret
