#pragma once
// Move-only owners for what ITypeInfo and ITypeLib hand out about themselves: type and
// library attributes, function descriptions. Such a block belongs to the object that made
// it and must go back to that object exactly once, so the owner keeps the object alive as
// long as the block and gives the block back when it is destroyed or replaced.

#include <windows.h>
#include <oaidl.h>

#include <utility>

#include "Handles.h"

namespace morvel {

template <class Source, class Data, auto Get, auto Release>
class TypeDescription {
public:
    TypeDescription() = default;
    TypeDescription(TypeDescription&& other) noexcept
        : source_(std::move(other.source_)), data_(std::exchange(other.data_, nullptr))
    {}
    TypeDescription& operator=(TypeDescription&& other) noexcept
    {
        if (this == &other) return *this;
        reset();
        source_ = std::move(other.source_);
        data_ = std::exchange(other.data_, nullptr);
        return *this;
    }
    TypeDescription(const TypeDescription&) = delete;
    TypeDescription& operator=(const TypeDescription&) = delete;
    ~TypeDescription() { reset(); }

    // Gives back what is held, then asks `source` for a new block (`args` first, as the
    // Get call takes them: GetFuncDesc's index, say). Empty on failure.
    template <class... Args>
    HRESULT read(Source* source, Args... args) noexcept
    {
        reset();
        Data* data = nullptr;
        if (HRESULT hr = (source->*Get)(args..., &data); FAILED(hr)) return hr;
        source_ = ComPtr<Source>::addRef(source);
        data_ = data;
        return S_OK;
    }

    void reset() noexcept
    {
        if (Data* old = std::exchange(data_, nullptr)) (source_.get()->*Release)(old);
        source_.reset();
    }

    const Data* get() const noexcept { return data_; }
    const Data* operator->() const noexcept { return data_; }
    const Data& operator*() const noexcept { return *data_; }
    explicit operator bool() const noexcept { return data_ != nullptr; }

private:
    ComPtr<Source> source_;
    Data* data_ = nullptr;
};

using TypeAttr = TypeDescription<ITypeInfo, TYPEATTR, &ITypeInfo::GetTypeAttr, &ITypeInfo::ReleaseTypeAttr>;
using FuncDesc = TypeDescription<ITypeInfo, FUNCDESC, &ITypeInfo::GetFuncDesc, &ITypeInfo::ReleaseFuncDesc>;
using LibAttr = TypeDescription<ITypeLib, TLIBATTR, &ITypeLib::GetLibAttr, &ITypeLib::ReleaseTLibAttr>;
using VarDesc = TypeDescription<ITypeInfo, VARDESC, &ITypeInfo::GetVarDesc, &ITypeInfo::ReleaseVarDesc>;

}  // namespace morvel
