// Stands in for a running Delphi or C++Builder IDE: a top-level window of the
// IDE's main window class "TAppBuilder". It ends when the window is closed or
// after the number of seconds given as its argument (default 60).

#include <windows.h>

#include <cwchar>

static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int wmain(int argc, wchar_t** argv) {
    UINT seconds = argc > 1 ? static_cast<UINT>(_wtoi(argv[1])) : 60;
    WNDCLASSW wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TAppBuilder";
    if (!RegisterClassW(&wc))
        return 1;
    HWND hwnd = CreateWindowExW(0, L"TAppBuilder", L"Delphi", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                nullptr, nullptr, wc.hInstance, nullptr);
    if (!hwnd)
        return 2;
    SetTimer(hwnd, 1, seconds * 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
