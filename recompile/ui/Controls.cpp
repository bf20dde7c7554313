#include "ui/Controls.h"

#include "ui/Form.h"
#include "support/platform/Utf.h"

#include <commctrl.h>

namespace vdx {

bool SameTextUi(std::string_view a, std::string_view b) {
    std::wstring wa = Widen(a), wb = Widen(b);
    return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(),
                                static_cast<int>(wb.size()), TRUE) == CSTR_EQUAL;
}

// --- GroupBox, Label ---

DWORD GroupBox::KindStyle(const ControlRow&) const {
    return BS_GROUPBOX;
}

DWORD Label::KindStyle(const ControlRow& row) const {
    return (row.Flags & WordWrap) ? SS_LEFT : SS_LEFTNOWORDWRAP;
}

void Label::Created(const ControlRow& row) {
    autoSize_ = !(row.Flags & WordWrap);
    FitToText();
}

void Label::SetText(std::string_view text) {
    Control::SetText(text);
    FitToText();
}

void Label::FitToText() {
    if (!autoSize_ || !hwnd_)
        return;
    std::wstring text = Widen(Text());
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)));
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- Button ---

DWORD Button::KindStyle(const ControlRow&) const {
    return BS_PUSHBUTTON;
}

void Button::Click() {
    if (Enabled())
        SendMessageW(hwnd_, BM_CLICK, 0, 0);
}

void Button::Command(WORD code) {
    if (code == BN_CLICKED && OnClick)
        OnClick(*this);
}

// --- CheckBox ---

DWORD CheckBox::KindStyle(const ControlRow&) const {
    return BS_AUTOCHECKBOX;
}

void CheckBox::Created(const ControlRow& row) {
    SetChecked((row.Flags & vdx::Checked) != 0);
}

bool CheckBox::Checked() const {
    return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetChecked(bool checked) {
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::Click() {
    if (Enabled())
        SendMessageW(hwnd_, BM_CLICK, 0, 0);
}

void CheckBox::Command(WORD code) {
    if (code == BN_CLICKED && OnClick)
        OnClick(*this);
}

// --- RadioButton ---

// Not an automatic option button: the group is kept by SetChecked, over the
// option buttons of the same parent, whatever lies between them.
DWORD RadioButton::KindStyle(const ControlRow&) const {
    return BS_RADIOBUTTON;
}

void RadioButton::Created(const ControlRow& row) {
    if (row.Flags & vdx::Checked)
        SetChecked(true);
}

bool RadioButton::Checked() const {
    return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void RadioButton::SetChecked(bool checked) {
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    // Only the checked option button of a group is a tab stop.
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, checked ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    if (!checked || !form_)
        return;
    for (Control* c : form_->Controls()) {
        if (c != this && c->Kind() == ControlKind::RadioButton && c->Parent() == parent_) {
            auto* other = static_cast<RadioButton*>(c);
            if (other->Checked())
                other->SetChecked(false);
        }
    }
}

void RadioButton::Click() {
    if (Enabled())
        SendMessageW(hwnd_, BM_CLICK, 0, 0);
}

void RadioButton::Command(WORD code) {
    if (code != BN_CLICKED)
        return;
    if (!Checked())
        SetChecked(true);
    if (OnClick)
        OnClick(*this);
}

// --- Edit ---

DWORD Edit::KindStyle(const ControlRow&) const {
    return ES_AUTOHSCROLL;
}

void Edit::Command(WORD code) {
    if (code == EN_CHANGE && OnChange)
        OnChange(*this);
}

// --- Memo ---

DWORD Memo::KindStyle(const ControlRow&) const {
    return ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
}

namespace {

// A multi-line edit asks for every key in dialog navigation; the message box
// leaves Tab and Esc to the form, so that Tab moves on and Esc presses Exit.
LRESULT CALLBACK MemoKeysProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
    if (msg == WM_NCDESTROY)
        RemoveWindowSubclass(hwnd, MemoKeysProc, 1);
    LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
    if (msg == WM_GETDLGCODE && lParam) {
        const MSG* m = reinterpret_cast<const MSG*>(lParam);
        if (m->message == WM_KEYDOWN && (m->wParam == VK_TAB || m->wParam == VK_ESCAPE))
            r &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
    }
    return r;
}

} // namespace

void Memo::Created(const ControlRow&) {
    SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0); // no 32K limit for long logs
    SetWindowSubclass(hwnd_, MemoKeysProc, 1, 0);
}

std::vector<std::string> Memo::Lines() const {
    std::vector<std::string> lines;
    std::string text = Text();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void Memo::Clear() {
    SetWindowTextW(hwnd_, L"");
}

void Memo::AppendLine(std::string_view line) {
    int length = GetWindowTextLengthW(hwnd_);
    std::wstring add;
    if (length > 0) {
        // A text typed by the user may lack the final line break.
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(hwnd_, text.data(), length + 1);
        text.resize(static_cast<size_t>(length));
        if (text.size() < 2 || text.compare(text.size() - 2, 2, L"\r\n") != 0)
            add = L"\r\n";
    }
    add += Widen(line);
    add += L"\r\n";
    SendMessageW(hwnd_, EM_SETSEL, length, length);
    SendMessageW(hwnd_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(add.c_str()));
    SendMessageW(hwnd_, EM_SCROLLCARET, 0, 0);
}

// --- ComboBox ---

DWORD ComboBox::KindStyle(const ControlRow&) const {
    return CBS_DROPDOWNLIST | WS_VSCROLL;
}

void ComboBox::Created(const ControlRow& row) {
    // The selection field is exactly as high as the table says.
    SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), row.Place.Height - 6);
    SetItems(row.Items);
    SetItemIndex(row.ItemIndex);
}

int ComboBox::ItemIndex() const {
    return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
}

void ComboBox::SetItemIndex(int index) {
    SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string ComboBox::Text() const {
    return Item(ItemIndex());
}

int ComboBox::Count() const {
    return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0));
}

std::string ComboBox::Item(int index) const {
    if (index < 0 || index >= Count())
        return {};
    LRESULT n = SendMessageW(hwnd_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n <= 0)
        return {};
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(hwnd_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return Narrow(text);
}

std::vector<std::string> ComboBox::Items() const {
    std::vector<std::string> items;
    int n = Count();
    for (int i = 0; i < n; ++i)
        items.push_back(Item(i));
    return items;
}

void ComboBox::SetItems(const std::vector<std::string>& items) {
    ClearItems();
    for (const std::string& item : items)
        AddItem(item);
}

void ComboBox::AddItem(std::string_view item) {
    std::wstring w = Widen(item);
    SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
}

void ComboBox::DeleteItem(int index) {
    SendMessageW(hwnd_, CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ComboBox::ClearItems() {
    SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
}

int ComboBox::IndexOf(std::string_view text) const {
    int n = Count();
    for (int i = 0; i < n; ++i)
        if (SameTextUi(Item(i), text))
            return i;
    return -1;
}

void ComboBox::Command(WORD code) {
    // CBN_SELCHANGE comes only from the user's picking; CB_SETCURSEL sends none.
    if (code == CBN_SELCHANGE && OnChange)
        OnChange(*this);
}

} // namespace vdx
