#include "ui/UiTestUtil.h"

#include "support/platform/Handles.h"
#include "support/platform/Utf.h"
#include "ui/Control.h"

#include <sddl.h>

#include <stdexcept>

namespace vdx::test {

namespace {
std::wstring W(const std::string& s) {
    return Widen(s);
}
} // namespace

TestKey::TestKey() {
    static std::atomic<unsigned> counter{0};
    path_ = "Software\\Verdexsoft\\recompile-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
    Remove();
}

TestKey::~TestKey() {
    Remove();
}

bool TestKey::Exists() const {
    UniqueKey k;
    return RegOpenKeyExW(HKEY_CURRENT_USER, W(path_).c_str(), 0, KEY_READ, k.put()) ==
           ERROR_SUCCESS;
}

void TestKey::Create() const {
    UniqueKey k;
    RegCreateKeyExW(HKEY_CURRENT_USER, W(path_).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    k.put(), nullptr);
}

void TestKey::SetString(const std::string& name, const std::string& value, DWORD type) const {
    SetRegString(HKEY_CURRENT_USER, path_, name, value, type);
}

void TestKey::SetRaw(const std::string& name, DWORD type, const void* data, DWORD size) const {
    SetRegValue(HKEY_CURRENT_USER, path_, name, type, data, size);
}

std::string TestKey::Get(const std::string& name) const {
    UniqueKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, W(path_).c_str(), 0, KEY_READ, k.put()) != ERROR_SUCCESS)
        return "<missing>";
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(k.get(), W(name).c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return "<missing>";
    if (type != REG_SZ)
        return "<type " + std::to_string(type) + ">";
    std::wstring buf(size / 2 + 1, L'\0');
    RegQueryValueExW(k.get(), W(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()),
                     &size);
    buf.resize(wcslen(buf.c_str()));
    return Narrow(buf);
}

void TestKey::Remove() const {
    // A read-only DACL left by a test must not keep the key alive.
    UniqueKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, W(path_).c_str(), 0, WRITE_DAC, k.put()) ==
        ERROR_SUCCESS) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                 &sd, nullptr)) {
            RegSetKeySecurity(k.get(), DACL_SECURITY_INFORMATION, sd);
            LocalFree(sd);
        }
    }
    k.reset();
    RegDeleteTreeW(HKEY_CURRENT_USER, W(path_).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, W(path_).c_str());
}

RealSettings::RealSettings() {
    UniqueKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, W(Key).c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS) {
        existed_ = true;
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD nameLen = 256, type = 0, size = 0;
            if (RegEnumValueW(k.get(), i, name, &nameLen, nullptr, &type, nullptr, &size) !=
                ERROR_SUCCESS)
                break;
            Saved v{name, type, std::vector<BYTE>(size)};
            nameLen = 256;
            RegEnumValueW(k.get(), i, name, &nameLen, nullptr, &type, v.data.data(), &size);
            saved_.push_back(std::move(v));
        }
    }
    Remove();
}

RealSettings::~RealSettings() {
    Remove();
    if (!existed_)
        return;
    for (const Saved& v : saved_)
        SetRegValue(HKEY_CURRENT_USER, Key, Narrow(v.name), v.type, v.data.data(),
                    static_cast<DWORD>(v.data.size()));
}

void RealSettings::Remove() {
    RegDeleteTreeW(HKEY_CURRENT_USER, W(Key).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, W(Key).c_str());
}

void RealSettings::Set(const std::string& name, const std::string& value) {
    SetRegString(HKEY_CURRENT_USER, Key, name, value);
}

bool RealSettings::Exists() {
    UniqueKey k;
    return RegOpenKeyExW(HKEY_CURRENT_USER, W(Key).c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS;
}

std::vector<std::string> RealSettings::Values() {
    UniqueKey k;
    std::vector<std::string> out;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, W(Key).c_str(), 0, KEY_READ, k.put()) != ERROR_SUCCESS)
        return out;
    for (const char* name : {"TeeVer", "TeePath", "Compiler", "VDVer", "Language"}) {
        wchar_t buf[512] = {};
        DWORD size = sizeof buf - sizeof(wchar_t), type = 0;
        if (RegQueryValueExW(k.get(), W(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf),
                             &size) == ERROR_SUCCESS &&
            type == REG_SZ)
            out.push_back(Narrow(buf));
        else
            out.push_back("<missing>");
    }
    return out;
}

void SetRegValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                 const void* data, DWORD size, REGSAM view) {
    UniqueKey k;
    if (RegCreateKeyExW(root, W(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                        k.put(), nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("test: cannot create key " + path);
    if (RegSetValueExW(k.get(), W(name).c_str(), 0, type, static_cast<const BYTE*>(data), size) !=
        ERROR_SUCCESS)
        throw std::runtime_error("test: cannot set value " + name);
}

void SetRegString(HKEY root, const std::string& path, const std::string& name,
                  const std::string& value, DWORD type, REGSAM view) {
    std::wstring w = W(value);
    SetRegValue(root, path, name, type, w.c_str(), static_cast<DWORD>((w.size() + 1) * 2), view);
}

void MakeKeyReadOnly(HKEY root, const std::string& path) {
    UniqueKey k;
    if (RegCreateKeyExW(root, W(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(),
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("test: cannot create key " + path);
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1,
                                                              &sd, nullptr))
        throw std::runtime_error("test: security descriptor");
    LONG rc = RegSetKeySecurity(k.get(), DACL_SECURITY_INFORMATION, sd);
    LocalFree(sd);
    if (rc != ERROR_SUCCESS)
        throw std::runtime_error("test: cannot protect key " + path);
}

void UserSelect(ComboBox& cb, int row) {
    SendMessageW(cb.Handle(), CB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(GetParent(cb.Handle()), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(cb.Handle()), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(cb.Handle()));
}

void PressKey(HWND form, WPARAM key) {
    MSG msg{};
    msg.hwnd = GetFocus() ? GetFocus() : form;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = 1;
    if (!IsDialogMessageW(form, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    msg.message = WM_KEYUP;
    msg.lParam = static_cast<LPARAM>(0xC0000001);
    if (!IsDialogMessageW(form, &msg))
        DispatchMessageW(&msg);
    Pump();
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

namespace {
BOOL CALLBACK CollectWindow(HWND h, LPARAM p) {
    auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (pid == found->first)
        found->second.push_back(h);
    return TRUE;
}
} // namespace

std::vector<HWND> TopLevelWindows(DWORD processId) {
    std::pair<DWORD, std::vector<HWND>> found{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

BoxAnswerer::BoxAnswerer(DWORD processId, WPARAM button, std::function<void(HWND)> onBox)
    : pid_(processId), button_(button), onBox_(std::move(onBox)), thread_([this] { Loop(); }) {}

BoxAnswerer::~BoxAnswerer() {
    stop_ = true;
    thread_.join();
}

std::vector<BoxAnswerer::Box> BoxAnswerer::Boxes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

void BoxAnswerer::Loop() {
    std::vector<HWND> answered;
    while (!stop_) {
        std::vector<HWND> found;
        for (HWND h : TopLevelWindows(pid_)) {
            wchar_t cls[16] = {};
            if (GetClassNameW(h, cls, 16) && lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h))
                found.push_back(h);
        }
        for (HWND box : found) {
            bool seen = false;
            for (HWND a : answered)
                seen = seen || a == box;
            if (seen && IsWindow(box))
                continue;
            answered.push_back(box);
            Sleep(50); // let the box finish its set-up
            Box b{WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))};
            {
                std::lock_guard<std::mutex> lock(mutex_);
                boxes_.push_back(b);
            }
            if (onBox_)
                onBox_(box);
            PostMessageW(box, WM_COMMAND, button_, 0);
        }
        Sleep(20);
    }
}

Installation::Installation(std::initializer_list<std::string> entries) {
    for (const std::string& e : entries) {
        std::string path = Dir / e;
        bool file = e.size() > 4 && (e.ends_with(".exe") || e.ends_with(".txt"));
        if (file)
            WriteFile(path, "x");
        else
            MakeDir(path);
    }
}

} // namespace vdx::test
