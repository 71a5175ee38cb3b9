#include "ui/HtmlHelp.h"

#ifdef _WIN32
#include <windows.h>

#include <filesystem>

namespace vandoret::ui {
namespace {

using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kDisplayToc = 0x0001; // HH_DISPLAY_TOC
constexpr UINT kCloseAll = 0x0012;   // HH_CLOSE_ALL

HMODULE library = nullptr;
HtmlHelpProc htmlHelp = nullptr;

} // namespace

void LoadHelpLibrary() {
    library = LoadLibraryA("HHCTRL.OCX");
    if (library != nullptr) {
        // Through void* so the cast between function types is explicit.
        htmlHelp = reinterpret_cast<HtmlHelpProc>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")));
    }
    if (htmlHelp == nullptr) {
        MessageBoxA(nullptr,
                    "Unable to view HTML help (*.chm). Update windows help system. Get new \"HHCTRL.OCX\" library.",
                    "Warning!", MB_OK | MB_ICONWARNING);
    }
}

void UnloadHelpLibrary() {
    if (library == nullptr) {
        return;
    }
    if (htmlHelp != nullptr) {
        htmlHelp(nullptr, nullptr, kCloseAll, 0);
    }
    Sleep(100);
    FreeLibrary(library);
    library = nullptr;
    htmlHelp = nullptr;
}

bool ShowHelpContents(const std::string& chmFile, void* owner) {
    std::error_code ec;
    if (htmlHelp == nullptr || !std::filesystem::exists(chmFile, ec)) {
        return false;
    }
    htmlHelp(static_cast<HWND>(owner), chmFile.c_str(), kDisplayToc, 0);
    return true;
}

} // namespace vandoret::ui

#else

namespace vandoret::ui {

// Off Windows there is no help library: the help pages open in the browser instead.
void LoadHelpLibrary() {}
void UnloadHelpLibrary() {}
bool ShowHelpContents(const std::string&, void*) {
    return false;
}

} // namespace vandoret::ui

#endif
