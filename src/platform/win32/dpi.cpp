#include "platform/win32/dpi.h"

namespace morvane {

namespace {

// Looked up once: user32 of Windows 10 and later has these; Windows 7 and
// 8 do not.
template <typename Function>
Function user32Function(const char* name) {
    static HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 == nullptr ? nullptr
                             : reinterpret_cast<Function>(
                                   reinterpret_cast<void*>(::GetProcAddress(user32, name)));
}

int systemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen == nullptr ? 96 : ::GetDeviceCaps(screen, LOGPIXELSY);
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

}  // namespace

void enableDpiAwareness() {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    if (auto set = user32Function<SetContext>("SetProcessDpiAwarenessContext")) {
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2, then V1.
        if (set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4)))) return;
        if (set(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-3)))) return;
    }
    // Windows 8.1: shcore's SetProcessDpiAwareness(PROCESS_PER_MONITOR_DPI_AWARE).
    if (HMODULE shcore = ::LoadLibraryW(L"shcore.dll")) {
        using SetAwareness = HRESULT(WINAPI*)(int);
        auto set = reinterpret_cast<SetAwareness>(
            reinterpret_cast<void*>(::GetProcAddress(shcore, "SetProcessDpiAwareness")));
        if (set != nullptr && SUCCEEDED(set(2))) return;
    }
    ::SetProcessDPIAware();
}

int dpiOfWindow(HWND window) {
    using GetDpi = UINT(WINAPI*)(HWND);
    if (auto get = user32Function<GetDpi>("GetDpiForWindow")) {
        if (const UINT dpi = get(window); dpi > 0) return static_cast<int>(dpi);
    }
    return systemDpi();
}

RECT outerRectFor(RECT client, DWORD style, DWORD exStyle, int dpi) {
    using Adjust = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    if (auto adjust = user32Function<Adjust>("AdjustWindowRectExForDpi")) {
        if (adjust(&client, style, FALSE, exStyle, static_cast<UINT>(dpi))) return client;
    }
    ::AdjustWindowRectEx(&client, style, FALSE, exStyle);
    return client;
}

int systemMetricFor(int index, int dpi) {
    using GetMetric = int(WINAPI*)(int, UINT);
    if (auto get = user32Function<GetMetric>("GetSystemMetricsForDpi")) {
        return get(index, static_cast<UINT>(dpi));
    }
    return ::MulDiv(::GetSystemMetrics(index), dpi, systemDpi());
}

}  // namespace morvane
