#include "FolderBrowser.h"

#include <objbase.h>
#include <shlobj.h>

#include "ZeRizIva/UniqueHandle.h"

namespace {

// COM for the length of one browse, as the shell asks.
class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment()
    {
        if (initialized_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

// Selects the initial folder (its path is the callback's data) once the browser is up.
int CALLBACK SelectInitialFolder(HWND browser, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED)
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

} // namespace

bool BrowseForFolder(HWND owner, const char* title, const std::string& initial, std::string& chosen)
{
    const ComApartment apartment;
    ComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.put())) || !allocator)
        return false;
    char displayName[MAX_PATH] = {};
    BROWSEINFOA browse = {};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title;
    browse.lpfn = SelectInitialFolder;
    browse.lParam = reinterpret_cast<LPARAM>(initial.c_str());
    LPITEMIDLIST item = SHBrowseForFolderA(&browse);
    if (!item)
        return false;
    char path[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListA(item, path) != FALSE;
    allocator->Free(item);
    if (found)
        chosen = path;
    return found;
}
