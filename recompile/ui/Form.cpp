#include "ui/Form.h"

#include "ui/Controls.h"
#include "support/platform/Utf.h"

#include <algorithm>
#include <stdexcept>

namespace vdx {

namespace {

constexpr wchar_t kFormClass[] = L"VdxForm";
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kFormExStyle = WS_EX_CONTROLPARENT;
constexpr int kFirstControlId = 100; // clear of IDOK and IDCANCEL

void RegisterFormClass(WNDPROC proc) {
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw std::runtime_error("Cannot register the window class");
    registered = true;
}

SIZE OuterSize(int clientWidth, int clientHeight) {
    RECT r{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&r, kFormStyle, FALSE, kFormExStyle);
    return {r.right - r.left, r.bottom - r.top};
}

} // namespace

UniqueFont CreateUiFont(const wchar_t* face, bool bold) {
    LOGFONTW lf{};
    lf.lfHeight = -11;
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return UniqueFont(CreateFontIndirectW(&lf));
}

Form::Form(Application& app, std::string caption, int clientWidth, int clientHeight)
    : app_(app), caption_(std::move(caption)), clientWidth_(clientWidth),
      clientHeight_(clientHeight) {}

Form::~Form() {
    DestroyHandle();
}

void Form::CreateHandle() {
    RegisterFormClass(&Form::WndProc);
    font_ = CreateUiFont(L"Tahoma", false);
    boldFont_ = CreateUiFont(L"Tahoma", true);
    memoFont_ = CreateUiFont(L"Courier New", false);
    SIZE size = OuterSize(clientWidth_, clientHeight_);
    HWND hwnd = CreateWindowExW(kFormExStyle, kFormClass, Widen(caption_).c_str(), kFormStyle,
                                CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, nullptr, nullptr,
                                GetModuleHandleW(nullptr), this);
    if (!hwnd)
        throw std::runtime_error("Cannot create the window \"" + caption_ + "\"");
}

Form* Form::FromHandle(HWND hwnd) {
    wchar_t cls[16] = {};
    if (!hwnd || !GetClassNameW(hwnd, cls, 16) || lstrcmpW(cls, kFormClass) != 0)
        return nullptr;
    return reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

HFONT Form::FontFor(const ControlRow& row) {
    if (row.Kind == ControlKind::Memo)
        return memoFont_.get();
    if (row.Flags & Bold)
        return boldFont_.get();
    return font_.get();
}

void Form::BuildControls(std::vector<ControlRow> rows) {
    // Keyboard order: the top-level rows by their tab number, each group box
    // followed by its own rows by theirs. A row without a tab number keeps its
    // place after the row before it in the table.
    struct Key {
        double Top, Own;
        int Level;
    };
    std::vector<Key> keys(rows.size());
    std::vector<double> ownTab(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        double t = rows[i].Tab;
        if (rows[i].Tab < 0)
            t = (i > 0 && rows[i - 1].Parent == rows[i].Parent) ? ownTab[i - 1] + 0.5 : -1;
        ownTab[i] = t;
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].Parent) {
            keys[i] = {ownTab[i], -1, 0};
            continue;
        }
        auto parentRow = std::find_if(rows.begin(), rows.end(), [&](const ControlRow& r) {
            return r.Target == rows[i].Parent;
        });
        if (parentRow == rows.end())
            throw std::logic_error("control table: parent of " + std::string(rows[i].Name));
        keys[i] = {ownTab[parentRow - rows.begin()], ownTab[i], 1};
    }
    std::vector<size_t> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (keys[a].Top != keys[b].Top)
            return keys[a].Top < keys[b].Top;
        if (keys[a].Level != keys[b].Level)
            return keys[a].Level < keys[b].Level;
        return keys[a].Own < keys[b].Own;
    });

    std::vector<GroupBox*> radioGroups; // parents whose first option button is made
    for (size_t i : order) {
        const ControlRow& row = rows[i];
        Control& c = *row.Target;
        if (c.Kind() != row.Kind)
            throw std::logic_error("control table: kind of " + std::string(row.Name));
        Bounds at = row.Place;
        if (row.Parent) {
            Bounds p = row.Parent->ScreenPlace();
            at.Left += p.Left;
            at.Top += p.Top;
        }
        DWORD style = WS_CHILD | WS_VISIBLE | c.KindStyle(row);
        bool focusable = row.Kind != ControlKind::GroupBox && row.Kind != ControlKind::Label;
        if (row.Kind == ControlKind::RadioButton) {
            if (std::find(radioGroups.begin(), radioGroups.end(), row.Parent) ==
                radioGroups.end()) {
                radioGroups.push_back(row.Parent);
                style |= WS_GROUP;
            }
        } else if (focusable) {
            style |= WS_GROUP;
            if (row.Tab >= 0)
                style |= WS_TABSTOP;
        }
        if (row.Flags & Disabled)
            style |= WS_DISABLED;
        int height = at.Height;
        if (row.Kind == ControlKind::ComboBox)
            height += 8 * 16; // room for the dropped-down rows
        HWND h = CreateWindowExW(
            c.KindExStyle(), c.WindowClass(), Widen(row.Caption).c_str(), style, at.Left, at.Top,
            at.Width, height, hwnd_,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + controls_.size())),
            GetModuleHandleW(nullptr), nullptr);
        if (!h)
            throw std::runtime_error("Cannot create the control " + std::string(row.Name));
        c.hwnd_ = h;
        c.name_ = std::string(row.Name);
        c.parent_ = row.Parent;
        c.form_ = this;
        detail::AttachWrapper(c, h);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(row)), FALSE);
        controls_.push_back(&c);
        c.Created(row);
    }
}

void Form::DestroyHandle() {
    if (!hwnd_)
        return;
    HWND h = hwnd_;
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    for (Control* c : controls_)
        if (c->hwnd_)
            detail::DetachWrapper(c->hwnd_);
    hwnd_ = nullptr;
    DestroyWindow(h);
    for (Control* c : controls_)
        c->hwnd_ = nullptr;
}

void Form::Show() {
    if (!Visible()) {
        DoShow();
        if (!positioned_) {
            // Centred on the screen when first shown.
            RECT r{};
            GetWindowRect(hwnd_, &r);
            int w = r.right - r.left, h = r.bottom - r.top;
            int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
            int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
            SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            positioned_ = true;
        }
        ShowWindow(hwnd_, SW_SHOW);
    }
    SetForegroundWindow(hwnd_);
}

void Form::Hide() {
    ShowWindow(hwnd_, SW_HIDE);
}

bool Form::Visible() const {
    return hwnd_ && IsWindowVisible(hwnd_);
}

void Form::Close() {
    if (!CloseQuery())
        return;
    DoClose();
    if (hwnd_)
        Hide();
    if (app_.MainForm() == this)
        app_.Terminate();
}

int Form::ClientWidth() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r.right - r.left;
}

int Form::ClientHeight() const {
    RECT r{};
    GetClientRect(hwnd_, &r);
    return r.bottom - r.top;
}

void Form::SetClientHeight(int height) {
    SIZE size = OuterSize(ClientWidth(), height);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Form::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    try {
        return form->Dispatch(msg, wParam, lParam);
    } catch (const std::exception& e) {
        form->app_.ShowException(e);
    } catch (...) {
        form->app_.ShowException("Unknown error");
    }
    return 0;
}

void Form::Reflect(WPARAM wParam, LPARAM lParam) {
    Control* c = Control::FromHandle(reinterpret_cast<HWND>(lParam));
    if (c && c->form_ == this)
        c->Command(HIWORD(wParam));
}

LRESULT Form::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL && !lParam) { // Esc
            if (cancelButton_)
                cancelButton_->Click();
            return 0;
        }
        if (LOWORD(wParam) == IDOK && !lParam) { // Enter: clicks a focused button
            if (auto* b = dynamic_cast<Button*>(Control::FromHandle(GetFocus())))
                b->Click();
            return 0;
        }
        if (lParam)
            Reflect(wParam, lParam);
        return 0;
    case WM_CLOSE:
        Close();
        return 0;
    case WM_SETCURSOR:
        if (app_.Busy()) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    case WM_ACTIVATE:
        // Keep the focus on a control, as a dialog does.
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) {
            HWND focus = GetFocus();
            if (!focus || !IsChild(hwnd_, focus)) {
                HWND first = lastFocus_ && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)
                                 ? lastFocus_
                                 : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
                if (first)
                    ::SetFocus(first);
            }
            return 0;
        }
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus))
                lastFocus_ = focus;
        }
        break;
    default:
        break;
    }
    return HandleMessage(msg, wParam, lParam);
}

LRESULT Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

} // namespace vdx
