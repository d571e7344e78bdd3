#include "ports/win32/win32_folder_chooser.h"

#include <windows.h>

#include <shlobj.h>

namespace tamber {
namespace {

class ShellFolderChooser : public FolderChooser {
  public:
    std::optional<std::string> ChooseFolder(WindowHandle owner) override {
        BROWSEINFOA info{};
        info.hwndOwner = reinterpret_cast<HWND>(owner);
        // Rooted at the desktop when its item list can be had; else the shell's default root.
        LPITEMIDLIST root = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(info.hwndOwner, CSIDL_DESKTOP, &root)))
            info.pidlRoot = root;
        char display[MAX_PATH] = {};
        info.pszDisplayName = display;
        info.ulFlags = BIF_RETURNONLYFSDIRS;
        LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
        std::optional<std::string> path;
        if (chosen) {
            char buffer[MAX_PATH] = {};
            if (SHGetPathFromIDListA(chosen, buffer)) path = std::string(buffer);
            CoTaskMemFree(chosen);
        }
        if (root) CoTaskMemFree(root);
        return path;
    }
};

} // namespace

FolderChooser& Win32FolderChooser() {
    static ShellFolderChooser chooser;
    return chooser;
}

} // namespace tamber
