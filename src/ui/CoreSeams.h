// The window's calls into core operations that are still being built in their own subsystems.
//
// Each seam calls the Timekeeper operation when it exists with the expected form and otherwise
// does nothing, so the window builds and runs while the subsystems land one by one. Once every
// operation listed in PendingCoreOperations() is present, the seams can become direct calls.
#pragma once

#include <string>
#include <vector>

#include "timing/Timekeeper.h"

namespace vandoret::ui::seams {

// ---- Start list and protocol files
template <class T = Timekeeper> void sbLoadClick(T& tk) {
    if constexpr (requires { tk.sbLoadClick(); }) {
        tk.sbLoadClick();
    }
}
template <class T = Timekeeper> void sbSaveClick(T& tk) {
    if constexpr (requires { tk.sbSaveClick(); }) {
        tk.sbSaveClick();
    }
}
// The button and Ctrl+X ask first (a sender is given).
template <class T = Timekeeper> void sbCLSClick(T& tk) {
    if constexpr (requires { tk.sbCLSClick(true); }) {
        tk.sbCLSClick(true);
    } else if constexpr (requires { tk.sbCLSClick(); }) {
        tk.sbCLSClick();
    }
}
template <class T = Timekeeper> void sbDelLineClick(T& tk) {
    if constexpr (requires { tk.sbDelLineClick(); }) {
        tk.sbDelLineClick();
    }
}
// A cell of the stop list is about to become current; false refuses the move.
template <class T = Timekeeper> bool SortGrid3SelectCell(T& tk, int col, int row) {
    if constexpr (requires {
                      { tk.SortGrid3SelectCell(col, row) } -> std::convertible_to<bool>;
                  }) {
        return tk.SortGrid3SelectCell(col, row);
    } else if constexpr (requires { tk.SortGrid3SelectCell(col, row); }) {
        tk.SortGrid3SelectCell(col, row);
        return true;
    } else {
        return true;
    }
}
// A character typed in the stop list or its editor; the key to go on with, 0 when the core
// consumed or discarded it.
template <class T = Timekeeper> char32_t SortGrid3KeyPress(T& tk, char32_t key) {
    if constexpr (requires {
                      { tk.SortGrid3KeyPress(key) } -> std::convertible_to<char32_t>;
                  }) {
        return tk.SortGrid3KeyPress(key);
    } else {
        return key;
    }
}
// True while the stop list is in cell-editing mode.
template <class T = Timekeeper> bool SortGrid3Editing(const T& tk, int currentCol) {
    if constexpr (requires { tk.SortGrid3Mode == T::StopListMode::CellEditing; }) {
        return tk.SortGrid3Mode == T::StopListMode::CellEditing;
    } else {
        return currentCol == 2 || currentCol == 3 || currentCol == 5;
    }
}
// The stop list's current column as the core keeps it; fallback when the core keeps none.
template <class T = Timekeeper> int SortGrid3Col(const T& tk, int fallback) {
    if constexpr (requires { int(tk.SortGrid3Col); }) {
        return tk.SortGrid3Col;
    } else {
        return fallback;
    }
}

// ---- Results and web page
template <class T = Timekeeper> void sbHTMLClick(T& tk, int tag) {
    if constexpr (requires { tk.sbHTMLClick(tag); }) {
        tk.sbHTMLClick(tag);
    }
}
// ---- Contacts
// Opens the configured port at start-up; a port that fails is dropped (Port 0) by the core.
template <class T = Timekeeper> void OpenConfiguredPort(T& tk) {
    if constexpr (requires { tk.OpenConfiguredPort(); }) {
        tk.OpenConfiguredPort();
    }
}
// Closes the serial port at shut-down; errors are ignored.
template <class T = Timekeeper> void ClosePort(T& tk) {
    if constexpr (requires { tk.ComPort->Close(); }) {
        if (tk.ComPort) {
            try {
                tk.ComPort->Close();
            } catch (...) {
            }
        }
    }
}
// The lock indicators are shown only while a port is open.
template <class T = Timekeeper> bool LockIndicatorsVisible(const T& tk) {
    if constexpr (requires { bool(tk.ImageLSstartVisible); }) {
        return tk.ImageLSstartVisible || tk.ImageLSstopVisible;
    } else {
        return false;
    }
}

// The operations above that are not present yet (for the start-up log of test runs).
template <class T = Timekeeper> std::vector<std::string> PendingCoreOperations() {
    std::vector<std::string> missing;
    const auto need = [&](bool present, const char* name) {
        if (!present) {
            missing.emplace_back(name);
        }
    };
    // clang-format off
    need(requires(T& t) { t.sbLoadClick(); }, "sbLoadClick()");
    need(requires(T& t) { t.sbSaveClick(); }, "sbSaveClick()");
    need(requires(T& t) { t.sbCLSClick(true); } || requires(T& t) { t.sbCLSClick(); }, "sbCLSClick(sender)");
    need(requires(T& t) { t.sbDelLineClick(); }, "sbDelLineClick()");
    need(requires(T& t) { t.SortGrid3SelectCell(0, 0); }, "SortGrid3SelectCell(col, row)");
    need(requires(T& t) { t.SortGrid3KeyPress(char32_t{}); }, "SortGrid3KeyPress(char32_t)");
    need(requires(T& t) { t.sbHTMLClick(0); }, "sbHTMLClick(tag)");
    need(requires(T& t) { t.OpenConfiguredPort(); }, "OpenConfiguredPort()");
    need(requires(T& t) { t.ComPort->Close(); }, "ComPort->Close()");
    need(requires(const T& t) { bool(t.ImageLSstartVisible); }, "ImageLSstartVisible");
    // clang-format on
    return missing;
}

} // namespace vandoret::ui::seams
