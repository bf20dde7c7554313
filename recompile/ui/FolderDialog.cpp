#include "ui/FolderDialog.h"

#include "support/platform/Utf.h"

#include <objbase.h>
#include <shlobj.h>

namespace vdx {

std::optional<std::string> BrowseForFolder(HWND owner) {
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::optional<std::string> chosen;
    BROWSEINFOW bi{};
    bi.hwndOwner = owner;
    // The classic dialog: no "Make New Folder" button.
    bi.ulFlags = BIF_RETURNONLYFSDIRS;
    if (PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi)) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(pidl, path))
            chosen = Narrow(path);
        CoTaskMemFree(pidl);
    }
    if (SUCCEEDED(init))
        CoUninitialize();
    return chosen;
}

} // namespace vdx
