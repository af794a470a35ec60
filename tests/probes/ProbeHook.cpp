// Test-only DLL: WindowProbe loads it into another process's GUI thread
// through a window hook, to read what only that process can read: the weight
// of each control's font (font handles do not cross processes). The answer
// goes into a named file mapping that WindowProbe made.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const char kRequest[] = "VelantrixProbeFontWeights";

long Weight(HWND window)
{
    const auto font = reinterpret_cast<HGDIOBJ>(SendMessageA(window, WM_GETFONT, 0, 0));
    LOGFONTA info;
    return font && GetObjectA(font, sizeof info, &info) == sizeof info ? info.lfWeight : 0;
}

BOOL CALLBACK AddControl(HWND control, LPARAM answer)
{
    char line[64];
    std::snprintf(line, sizeof line, "%d %ld\n", GetDlgCtrlID(control), Weight(control));
    *reinterpret_cast<std::string*>(answer) += line;
    return TRUE;
}

void Answer(HWND dialog)
{
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kRequest);
    if (!mapping)
        return;
    if (char* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0))) {
        std::string answer;
        EnumChildWindows(dialog, AddControl, reinterpret_cast<LPARAM>(&answer));
        lstrcpynA(view, answer.c_str(), 0x10000);
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    static const UINT request = RegisterWindowMessageA(kRequest);
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == request)
        Answer(call->hwnd);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
