#include "ui/Control.h"

#include "ui/Form.h"
#include "support/platform/Utf.h"

namespace vdx {

namespace {
constexpr wchar_t kWrapperProp[] = L"vdx.control";
} // namespace

std::string WindowText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    if (n <= 0)
        return {};
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return Narrow(text);
}

Control* Control::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<Control*>(GetPropW(hwnd, kWrapperProp)) : nullptr;
}

bool Control::Enabled() const {
    return IsWindowEnabled(hwnd_) != 0;
}

void Control::SetEnabled(bool enabled) {
    EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}

bool Control::Visible() const {
    return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Control::SetVisible(bool visible) {
    ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

std::string Control::Text() const {
    return WindowText(hwnd_);
}

void Control::SetText(std::string_view text) {
    SetWindowTextW(hwnd_, Widen(text).c_str());
}

void Control::SetFocus() {
    ::SetFocus(hwnd_);
}

bool Control::Focused() const {
    return hwnd_ && GetFocus() == hwnd_;
}

Bounds Control::ScreenPlace() const {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void detail::AttachWrapper(Control& control, HWND hwnd) {
    SetPropW(hwnd, kWrapperProp, &control);
}

void detail::DetachWrapper(HWND hwnd) {
    RemovePropW(hwnd, kWrapperProp);
}

} // namespace vdx
