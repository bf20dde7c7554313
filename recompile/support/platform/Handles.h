#pragma once
// One small owning type per Win32 handle kind; none is ever closed by hand.

#include <windows.h>

#include <utility>

namespace vdx {

template <typename T, typename Traits> class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(T h) : h_(h) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& o) noexcept : h_(o.release()) {}
    UniqueResource& operator=(UniqueResource&& o) noexcept {
        if (this != &o)
            reset(o.release());
        return *this;
    }
    ~UniqueResource() { reset(); }

    T get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::invalid(); }
    T release() { return std::exchange(h_, Traits::invalid()); }
    void reset(T h = Traits::invalid()) {
        if (h_ != Traits::invalid())
            Traits::close(h_);
        h_ = h;
    }
    // For out-parameters of the API (RegOpenKeyExW and friends).
    T* put() {
        reset();
        return &h_;
    }

private:
    T h_ = Traits::invalid();
};

struct HandleTraits { // process, thread, event: null when absent
    static HANDLE invalid() { return nullptr; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};
struct FileHandleTraits { // CreateFileW: INVALID_HANDLE_VALUE when absent
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { ::FindClose(h); }
};
struct RegKeyTraits {
    static HKEY invalid() { return nullptr; }
    static void close(HKEY h) { ::RegCloseKey(h); }
};
struct WindowTraits {
    static HWND invalid() { return nullptr; }
    static void close(HWND h) { ::DestroyWindow(h); }
};
struct GdiObjectTraits {
    static HGDIOBJ invalid() { return nullptr; }
    static void close(HGDIOBJ h) { ::DeleteObject(h); }
};
struct FontTraits {
    static HFONT invalid() { return nullptr; }
    static void close(HFONT h) { ::DeleteObject(h); }
};

using UniqueHandle = UniqueResource<HANDLE, HandleTraits>;
using UniqueFile = UniqueResource<HANDLE, FileHandleTraits>;
using UniqueFind = UniqueResource<HANDLE, FindHandleTraits>;
using UniqueKey = UniqueResource<HKEY, RegKeyTraits>;
using UniqueWindow = UniqueResource<HWND, WindowTraits>;
using UniqueGdiObject = UniqueResource<HGDIOBJ, GdiObjectTraits>;
using UniqueFont = UniqueResource<HFONT, FontTraits>;

} // namespace vdx
