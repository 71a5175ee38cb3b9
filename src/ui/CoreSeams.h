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
// A character typed in the stop list or its editor; the core may change it or set it to 0.
template <class T = Timekeeper> char SortGrid3KeyPress(T& tk, char key) {
    if constexpr (requires(char& k) { tk.SortGrid3KeyPress(k); }) {
        tk.SortGrid3KeyPress(key);
    }
    return key;
}
// True while the stop list is in cell-editing mode (editable column current).
template <class T = Timekeeper> bool SortGrid3Editing(const T& tk, int currentCol) {
    if constexpr (requires { bool(tk.SortGrid3Editing); }) {
        return tk.SortGrid3Editing;
    } else {
        return currentCol == 2 || currentCol == 3 || currentCol == 5;
    }
}

// ---- Results and web page
template <class T = Timekeeper> void sbHTMLClick(T& tk, int tag) {
    if constexpr (requires { tk.sbHTMLClick(tag); }) {
        tk.sbHTMLClick(tag);
    }
}
// ---- Contacts
template <class T = Timekeeper> void ListComPorts(T& tk) {
    if constexpr (requires { tk.ListComPorts(); }) {
        tk.ListComPorts();
    }
}
// Opens the configured port at start-up; a port that fails is dropped (Port 0) by the core.
template <class T = Timekeeper> void OpenConfiguredPort(T& tk) {
    if constexpr (requires { tk.OpenConfiguredPort(); }) {
        tk.OpenConfiguredPort();
    }
}
template <class T = Timekeeper> void ClosePort(T& tk) {
    if constexpr (requires { tk.ClosePort(); }) {
        tk.ClosePort();
    }
}
// The lock indicators are shown only while a port is open.
template <class T = Timekeeper> bool PortOpen(const T& tk) {
    if constexpr (requires { bool(tk.PortOpen()); }) {
        return tk.PortOpen();
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
    need(
        requires(T & t) { t.sbLoadClick(); }, "sbLoadClick()");
    need(
        requires(T & t) { t.sbSaveClick(); }, "sbSaveClick()");
    need(
        requires(T & t) { t.sbCLSClick(true); } || requires(T & t) { t.sbCLSClick(); }, "sbCLSClick(sender)");
    need(
        requires(T & t) { t.sbDelLineClick(); }, "sbDelLineClick()");
    need(
        requires(T & t) { t.SortGrid3SelectCell(0, 0); }, "SortGrid3SelectCell(col, row)");
    need(
        requires(T & t, char& k) { t.SortGrid3KeyPress(k); }, "SortGrid3KeyPress(char&)");
    need(
        requires(T & t) { t.sbHTMLClick(0); }, "sbHTMLClick(tag)");
    need(
        requires(T & t) { t.ListComPorts(); }, "ListComPorts()");
    need(
        requires(T & t) { t.OpenConfiguredPort(); }, "OpenConfiguredPort()");
    need(
        requires(T & t) { t.ClosePort(); }, "ClosePort()");
    need(
        requires(const T& t) { bool(t.PortOpen()); }, "PortOpen()");
    return missing;
}

} // namespace vandoret::ui::seams
