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
    ComPtr(const ComPtr& other) noexcept : p_(other.p_)
    {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(p_, other.p_);
        return *this;
    }
    ~ComPtr()
    {
        if (p_) p_->Release();
    }

    static ComPtr addRef(T* p) noexcept
    {
        if (p) p->AddRef();
        return ComPtr(p);
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // Releases what is held and hands out the address for an out-parameter.
    T** put() noexcept
    {
        reset();
        return &p_;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }
    T* detach() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept
    {
        if (T* old = std::exchange(p_, nullptr)) old->Release();
    }

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
    static Bstr adopt(BSTR b) noexcept
    {
        Bstr out;
        out.b_ = b;
        return out;
    }
    Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept
    {
        if (this != &other) SysFreeString(std::exchange(b_, std::exchange(other.b_, nullptr)));
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(b_); }

    BSTR get() const noexcept { return b_; }
    BSTR* put() noexcept
    {
        SysFreeString(std::exchange(b_, nullptr));
        return &b_;
    }
    BSTR detach() noexcept { return std::exchange(b_, nullptr); }
    UINT length() const noexcept { return SysStringLen(b_); }

private:
    BSTR b_ = nullptr;
};

class Variant {
public:
    Variant() noexcept { VariantInit(&v_); }
    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant& operator=(Variant&& other) noexcept
    {
        if (this == &other) return *this;
        VariantClear(&v_);
        v_ = other.v_;
        VariantInit(&other.v_);
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&v_); }

    VARIANT* get() noexcept { return &v_; }
    const VARIANT* get() const noexcept { return &v_; }
    VARIANT* put() noexcept
    {
        VariantClear(&v_);
        return &v_;
    }
    // Moves the value out into a caller's VARIANT (which must be empty or initialised).
    void detachTo(VARIANT* out) noexcept
    {
        *out = v_;
        VariantInit(&v_);
    }

private:
    VARIANT v_;
};

// The texts a callee puts into the caller's EXCEPINFO belong to the caller, whether or not
// the call failed. Taken over right after the call, they go when this owner does; the
// EXCEPINFO may be read until then.
struct ExceptionTexts {
    explicit ExceptionTexts(const EXCEPINFO& filled) noexcept
        : source(Bstr::adopt(filled.bstrSource)), description(Bstr::adopt(filled.bstrDescription)),
          helpFile(Bstr::adopt(filled.bstrHelpFile))
    {}
    Bstr source, description, helpFile;
};

// One owner for the plain handles: a handle type, its "none" value and how it is closed.
// Assigning a new handle (or moving one in) closes the one held before, at once.
template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) noexcept : h_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : h_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return h_; }
    Handle* put() noexcept
    {
        reset();
        return &h_;
    }
    Handle release() noexcept { return std::exchange(h_, Traits::none()); }
    void reset(Handle h = Traits::none()) noexcept
    {
        if (Handle old = std::exchange(h_, h); old != Traits::none()) Traits::close(old);
    }
    explicit operator bool() const noexcept { return h_ != Traits::none(); }

private:
    Handle h_ = Traits::none();
};

struct RegistryKeyTraits {
    using Handle = HKEY;
    static HKEY none() noexcept { return nullptr; }
    static void close(HKEY key) noexcept { RegCloseKey(key); }
};
struct ModuleTraits {
    using Handle = HMODULE;
    static HMODULE none() noexcept { return nullptr; }
    static void close(HMODULE module) noexcept { FreeLibrary(module); }
};
struct FindTraits {
    using Handle = HANDLE;
    static HANDLE none() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE search) noexcept { FindClose(search); }
};

struct FileTraits {
    using Handle = HANDLE;
    static HANDLE none() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE file) noexcept { CloseHandle(file); }
};

using UniqueHKey = UniqueHandle<RegistryKeyTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueFind = UniqueHandle<FindTraits>;
using UniqueFile = UniqueHandle<FileTraits>;

// A bitmap, icon or cursor from LoadImage, destroyed the way its kind needs.
class UniqueImage {
public:
    UniqueImage() = default;
    UniqueImage(HANDLE h, UINT type) noexcept : h_(h), type_(type) {}
    UniqueImage(UniqueImage&& other) noexcept : h_(std::exchange(other.h_, nullptr)), type_(other.type_) {}
    UniqueImage& operator=(UniqueImage&& other) noexcept
    {
        if (this == &other) return *this;
        reset();
        h_ = other.release();
        type_ = other.type_;
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
