#pragma once
// Move-only owners for the platform handles the library holds: COM pointers, BSTRs,
// VARIANTs, registry keys, modules and directory searches. Nothing raw outlives the
// statement that produced it.

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace morvel {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    explicit ComPtr(T* adopt) noexcept : p_(adopt) {}
    ComPtr(const ComPtr& other) noexcept : p_(other.p_) { if (p_) p_->AddRef(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept { std::swap(p_, other.p_); return *this; }
    ~ComPtr() { if (p_) p_->Release(); }

    static ComPtr addRef(T* p) noexcept { if (p) p->AddRef(); return ComPtr(p); }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // Releases what is held and hands out the address for an out-parameter.
    T** put() noexcept { reset(); return &p_; }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }
    T* detach() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept { if (T* old = std::exchange(p_, nullptr)) old->Release(); }

    template <class U>
    ComPtr<U> as() const noexcept
    {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(__uuidof(U), out.putVoid());
        return out;
    }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    Bstr() = default;
    explicit Bstr(const wchar_t* text) : b_(text ? SysAllocString(text) : nullptr) {}
    Bstr(const wchar_t* text, UINT length) : b_(SysAllocStringLen(text, length)) {}
    static Bstr adopt(BSTR b) noexcept { Bstr out; out.b_ = b; return out; }
    Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept { std::swap(b_, other.b_); return *this; }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(b_); }

    BSTR get() const noexcept { return b_; }
    BSTR* put() noexcept { SysFreeString(std::exchange(b_, nullptr)); return &b_; }
    BSTR detach() noexcept { return std::exchange(b_, nullptr); }
    UINT length() const noexcept { return SysStringLen(b_); }

private:
    BSTR b_ = nullptr;
};

class Variant {
public:
    Variant() noexcept { VariantInit(&v_); }
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant&& other) noexcept { std::swap(v_, other.v_); return *this; }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    VARIANT* get() noexcept { return &v_; }
    const VARIANT* get() const noexcept { return &v_; }
    VARIANT* put() noexcept { VariantClear(&v_); return &v_; }
    // Moves the value out into a caller's VARIANT (which must be empty or initialised).
    void detachTo(VARIANT* out) noexcept { *out = v_; VariantInit(&v_); }

private:
    VARIANT v_;
};

class UniqueHKey {
public:
    UniqueHKey() = default;
    explicit UniqueHKey(HKEY k) noexcept : k_(k) {}
    UniqueHKey(UniqueHKey&& other) noexcept : k_(std::exchange(other.k_, nullptr)) {}
    UniqueHKey& operator=(UniqueHKey&& other) noexcept { std::swap(k_, other.k_); return *this; }
    UniqueHKey(const UniqueHKey&) = delete;
    UniqueHKey& operator=(const UniqueHKey&) = delete;
    ~UniqueHKey() { if (k_) RegCloseKey(k_); }

    HKEY get() const noexcept { return k_; }
    HKEY* put() noexcept { reset(); return &k_; }
    void reset() noexcept { if (HKEY old = std::exchange(k_, nullptr)) RegCloseKey(old); }
    explicit operator bool() const noexcept { return k_ != nullptr; }

private:
    HKEY k_ = nullptr;
};

class UniqueModule {
public:
    UniqueModule() = default;
    explicit UniqueModule(HMODULE m) noexcept : m_(m) {}
    UniqueModule(UniqueModule&& other) noexcept : m_(std::exchange(other.m_, nullptr)) {}
    UniqueModule& operator=(UniqueModule&& other) noexcept { std::swap(m_, other.m_); return *this; }
    UniqueModule(const UniqueModule&) = delete;
    UniqueModule& operator=(const UniqueModule&) = delete;
    ~UniqueModule() { if (m_) FreeLibrary(m_); }

    HMODULE get() const noexcept { return m_; }
    explicit operator bool() const noexcept { return m_ != nullptr; }

private:
    HMODULE m_ = nullptr;
};

class UniqueFind {
public:
    UniqueFind() = default;
    explicit UniqueFind(HANDLE h) noexcept : h_(h) {}
    UniqueFind(UniqueFind&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
    UniqueFind& operator=(UniqueFind&& other) noexcept { std::swap(h_, other.h_); return *this; }
    UniqueFind(const UniqueFind&) = delete;
    UniqueFind& operator=(const UniqueFind&) = delete;
    ~UniqueFind() { if (h_ != INVALID_HANDLE_VALUE) FindClose(h_); }

    HANDLE get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// A bitmap, icon or cursor from LoadImage, destroyed the way its kind needs.
class UniqueImage {
public:
    UniqueImage() = default;
    UniqueImage(HANDLE h, UINT type) noexcept : h_(h), type_(type) {}
    UniqueImage(UniqueImage&& other) noexcept : h_(std::exchange(other.h_, nullptr)), type_(other.type_) {}
    UniqueImage& operator=(UniqueImage&& other) noexcept
    {
        std::swap(h_, other.h_);
        std::swap(type_, other.type_);
        return *this;
    }
    UniqueImage(const UniqueImage&) = delete;
    UniqueImage& operator=(const UniqueImage&) = delete;
    ~UniqueImage() { reset(); }

    HANDLE get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != nullptr; }
    // Gives the handle up to a new owner.
    HANDLE release() noexcept { return std::exchange(h_, nullptr); }
    void reset() noexcept
    {
        HANDLE old = std::exchange(h_, nullptr);
        if (!old) return;
        if (type_ == IMAGE_BITMAP)
            DeleteObject(static_cast<HGDIOBJ>(old));
        else if (type_ == IMAGE_CURSOR)
            DestroyCursor(static_cast<HCURSOR>(old));
        else
            DestroyIcon(static_cast<HICON>(old));
    }

private:
    HANDLE h_ = nullptr;
    UINT type_ = IMAGE_BITMAP;
};

}  // namespace morvel
