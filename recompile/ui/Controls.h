#pragma once
// The control kinds the wizard's windows use, one small class each.

#include "ui/Control.h"

#include <functional>

namespace vdx {

class GroupBox : public Control {
public:
    ControlKind Kind() const override { return ControlKind::GroupBox; }

protected:
    const wchar_t* WindowClass() const override { return L"BUTTON"; }
    DWORD KindStyle(const ControlRow&) const override;
};

// A label that does not wrap sizes itself to its text, keeping its top left
// corner; a word-wrapped label keeps the size of its row.
class Label : public Control {
public:
    ControlKind Kind() const override { return ControlKind::Label; }
    void SetText(std::string_view text) override;

protected:
    const wchar_t* WindowClass() const override { return L"STATIC"; }
    DWORD KindStyle(const ControlRow& row) const override;
    void Created(const ControlRow& row) override;

private:
    void FitToText();
    bool autoSize_ = true;
};

class Button : public Control {
public:
    ControlKind Kind() const override { return ControlKind::Button; }
    // What a user's click does: raises OnClick; nothing when disabled.
    void Click();
    std::function<void(Button&)> OnClick;

protected:
    const wchar_t* WindowClass() const override { return L"BUTTON"; }
    DWORD KindStyle(const ControlRow&) const override;
    void Command(WORD code) override;
};

class CheckBox : public Control {
public:
    ControlKind Kind() const override { return ControlKind::CheckBox; }
    bool Checked() const;
    // Changing the state from the program raises no event.
    void SetChecked(bool checked);
    void Click(); // a user's click: toggles and raises OnClick
    std::function<void(CheckBox&)> OnClick;

protected:
    const wchar_t* WindowClass() const override { return L"BUTTON"; }
    DWORD KindStyle(const ControlRow&) const override;
    void Created(const ControlRow& row) override;
    void Command(WORD code) override;
};

// Option buttons with the same parent form one group: exactly one is checked.
class RadioButton : public Control {
public:
    ControlKind Kind() const override { return ControlKind::RadioButton; }
    bool Checked() const;
    // Checking one unchecks the others of its group; raises no event.
    void SetChecked(bool checked);
    void Click(); // a user's click: checks it and raises OnClick
    std::function<void(RadioButton&)> OnClick;

protected:
    const wchar_t* WindowClass() const override { return L"BUTTON"; }
    DWORD KindStyle(const ControlRow&) const override;
    void Created(const ControlRow& row) override;
    void Command(WORD code) override;
};

// One-line text box.
class Edit : public Control {
public:
    ControlKind Kind() const override { return ControlKind::Edit; }
    std::function<void(Edit&)> OnChange;

protected:
    const wchar_t* WindowClass() const override { return L"EDIT"; }
    DWORD KindStyle(const ControlRow&) const override;
    DWORD KindExStyle() const override { return WS_EX_CLIENTEDGE; }
    void Command(WORD code) override;
};

// Multi-line text box with a vertical scroll bar; text is kept as lines.
class Memo : public Control {
public:
    ControlKind Kind() const override { return ControlKind::Memo; }
    std::vector<std::string> Lines() const;
    void Clear();
    // Appends one line at the end and scrolls it into view.
    void AppendLine(std::string_view line);

protected:
    const wchar_t* WindowClass() const override { return L"EDIT"; }
    DWORD KindStyle(const ControlRow&) const override;
    DWORD KindExStyle() const override { return WS_EX_CLIENTEDGE; }
    void Created(const ControlRow& row) override;
};

// Drop-down list from which the user can only pick.
class ComboBox : public Control {
public:
    ControlKind Kind() const override { return ControlKind::ComboBox; }

    int ItemIndex() const; // -1 when no row is selected
    // Selecting from the program raises no event.
    void SetItemIndex(int index);
    // Text of the selected row; empty when none is selected.
    std::string Text() const override;
    void SetText(std::string_view) override {} // a pick-only list has no free text

    int Count() const;
    std::vector<std::string> Items() const;
    std::string Item(int index) const;
    void SetItems(const std::vector<std::string>& items);
    void AddItem(std::string_view item);
    void DeleteItem(int index);
    void ClearItems();
    // First row whose text equals `text` without regard to letter case; -1 if none.
    int IndexOf(std::string_view text) const;

    // Raised when the user picks a row (never by SetItemIndex).
    std::function<void(ComboBox&)> OnChange;

protected:
    const wchar_t* WindowClass() const override { return L"COMBOBOX"; }
    DWORD KindStyle(const ControlRow&) const override;
    void Created(const ControlRow& row) override;
    void Command(WORD code) override;
};

// Text comparison without regard to letter case, for list rows and stored choices.
bool SameTextUi(std::string_view a, std::string_view b);

} // namespace vdx
