#pragma once
// Base of the control layer: a thin wrapper over one child window of a form,
// with typed accessors. UTF-8 in and out; widened only at the Win32 call.
// The form reflects WM_COMMAND notifications to the wrapper, which turns them
// into typed change events.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace vdx {

class Form;
class GroupBox;

// Left, top, width, height in pixels, relative to the enclosing group box or
// to the form's client area.
struct Bounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

enum class ControlKind { GroupBox, ComboBox, RadioButton, CheckBox, Edit, Label, Button, Memo };

// First-state flags of a table row.
enum ControlFlags : unsigned {
    Checked = 1u << 0,  // check box or option button checked
    Disabled = 1u << 1, // created disabled
    Bold = 1u << 2,     // label in the bold form of the form's font
    WordWrap = 1u << 3, // label of fixed size whose text wraps at word breaks
};

class Control;

// One row of a form's control table.
struct ControlRow {
    ControlKind Kind;
    Control* Target; // the wrapper member of the form that the row creates
    std::string_view Name;
    std::string_view Caption;
    Bounds Place;
    int Tab = -1;                        // keyboard order within the parent; -1: not a tab stop
    GroupBox* Parent = nullptr;          // nullptr: the form itself
    unsigned Flags = 0;                  // ControlFlags
    std::vector<std::string> Items = {}; // rows of a list
    int ItemIndex = -1;                  // first selected row of a list
};

class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    virtual ControlKind Kind() const = 0;

    HWND Handle() const { return hwnd_; }
    const std::string& Name() const { return name_; }
    GroupBox* Parent() const { return parent_; }
    Form* Owner() const { return form_; }

    bool Enabled() const;
    void SetEnabled(bool enabled);
    bool Visible() const;
    void SetVisible(bool visible);
    virtual std::string Text() const;
    virtual void SetText(std::string_view text);
    void SetFocus();
    bool Focused() const;
    // Place relative to the form's client area.
    Bounds ScreenPlace() const;

    // The wrapper of a window created by the control layer, or nullptr.
    static Control* FromHandle(HWND hwnd);

protected:
    friend class Form;
    virtual const wchar_t* WindowClass() const = 0;
    virtual DWORD KindStyle(const ControlRow& row) const = 0;
    virtual DWORD KindExStyle() const { return 0; }
    // Applies the row's first state once the window exists.
    virtual void Created(const ControlRow&) {}
    // A notification code of WM_COMMAND from this control.
    virtual void Command(WORD) {}

    HWND hwnd_ = nullptr;
    std::string name_;
    GroupBox* parent_ = nullptr;
    Form* form_ = nullptr;
};

// Window text of any window, UTF-8.
std::string WindowText(HWND hwnd);

namespace detail {
// Links a created window to its wrapper (Control::FromHandle), and undoes it.
void AttachWrapper(Control& control, HWND hwnd);
void DetachWrapper(HWND hwnd);
} // namespace detail

} // namespace vdx
