#include "Module.h"

#include <map>
#include <mutex>
#include <new>

#include "ErrorInfo.h"
#include "Handles.h"
#include "ThreadPrimitives.h"
#include "TypeDescription.h"

namespace morvel::module {
namespace {

// Objects live in the apartments of their threads, but the type library is one per process.
struct TypeLibraryCache {
    SlimLock mutex;
    ComPtr<ITypeLib> library;
    struct Key {
        GUID guid;
        bool vtableHalf;
        bool operator<(const Key& o) const
        {
            if (int c = memcmp(&guid, &o.guid, sizeof(GUID)); c != 0) return c < 0;
            return vtableHalf < o.vtableHalf;
        }
    };
    std::map<Key, ComPtr<ITypeInfo>> infos;
    // Per interface, the dispatch table of its vtable half; dropped with the library.
    std::map<Key, std::shared_ptr<const DispatchTable>> dispatch;
};

// Never destroyed: a static's destructor runs at DLL_PROCESS_DETACH, under the loader lock,
// where releasing oleaut32's objects must not happen. DllCanUnloadNow empties it before COM
// frees the module; at process exit what is left goes with the process. Made when the DLL
// loads rather than on first use, because a function's static is guarded at run time and
// that guard costs platform handles that outlive an unload.
alignas(TypeLibraryCache) unsigned char cacheStorage[sizeof(TypeLibraryCache)];
TypeLibraryCache* const cacheInstance = new (cacheStorage) TypeLibraryCache;

TypeLibraryCache& cache() { return *cacheInstance; }

HRESULT loadLibraryLocked(TypeLibraryCache& c)
{
    if (c.library) return S_OK;
    return guardStatus([&] {
        const std::wstring file = path();
        if (file.empty()) return HRESULT_FROM_WIN32(GetLastError());
        return LoadTypeLibEx(file.c_str(), REGKIND_NONE, c.library.put());
    });
}

}  // namespace

HRESULT typeLibrary(ITypeLib** library) noexcept
{
    if (!library) return E_POINTER;
    *library = nullptr;
    auto& c = cache();
    std::lock_guard guard(c.mutex);
    if (HRESULT hr = loadLibraryLocked(c); FAILED(hr)) return hr;
    *library = ComPtr<ITypeLib>(c.library).detach();
    return S_OK;
}

namespace {

HRESULT typeInfoLocked(TypeLibraryCache& c, REFGUID guid, ITypeInfo** info, bool vtableHalf)
{
    if (auto found = c.infos.find({guid, vtableHalf}); found != c.infos.end()) {
        *info = ComPtr<ITypeInfo>(found->second).detach();
        return S_OK;
    }
    if (HRESULT hr = loadLibraryLocked(c); FAILED(hr)) return hr;
    ComPtr<ITypeInfo> described;
    if (HRESULT hr = c.library->GetTypeInfoOfGuid(guid, described.put()); FAILED(hr)) return hr;

    // A dual interface is described twice; its vtable half is what ITypeInfo::Invoke
    // needs to reach our methods through their slots.
    bool dualDispatch = false;
    {
        TypeAttr attr;
        if (HRESULT hr = attr.read(described.get()); FAILED(hr)) return hr;
        dualDispatch = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
    }
    if (vtableHalf && dualDispatch) {
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> slots;
        if (HRESULT hr = described->GetRefTypeOfImplType(-1, &ref); FAILED(hr)) return hr;
        if (HRESULT hr = described->GetRefTypeInfo(ref, slots.put()); FAILED(hr)) return hr;
        described = std::move(slots);
    }
    if (HRESULT hr = guardStatus([&] {
            c.infos.emplace(TypeLibraryCache::Key{guid, vtableHalf}, described);
            return S_OK;
        });
        FAILED(hr))
        return hr;
    *info = described.detach();
    return S_OK;
}

}  // namespace

HRESULT typeInfo(REFGUID guid, ITypeInfo** info, bool vtableHalf) noexcept
{
    if (!info) return E_POINTER;
    *info = nullptr;
    auto& c = cache();
    std::lock_guard guard(c.mutex);
    return typeInfoLocked(c, guid, info, vtableHalf);
}

HRESULT dispatchTable(REFGUID guid, const DispatchTable*& table) noexcept
{
    table = nullptr;
    auto& c = cache();
    std::lock_guard guard(c.mutex);
    const TypeLibraryCache::Key key{guid, true};
    if (auto found = c.dispatch.find(key); found != c.dispatch.end()) {
        table = found->second.get();
        return S_OK;
    }
    // Built under the lock, so exactly once however many threads ask first.
    ComPtr<ITypeInfo> slots;
    if (HRESULT hr = typeInfoLocked(c, guid, slots.put(), true); FAILED(hr)) return hr;
    std::shared_ptr<const DispatchTable> built;
    if (HRESULT hr = DispatchTable::build(slots.get(), built); FAILED(hr)) return hr;
    if (HRESULT hr = guardStatus([&] {
            c.dispatch.emplace(key, built);
            return S_OK;
        });
        FAILED(hr))
        return hr;
    table = built.get();
    return S_OK;
}

bool releaseTypeLibrary() noexcept
{
    auto& c = cache();
    std::lock_guard guard(c.mutex);
    // Asked again under the lock: an object made meanwhile on another thread takes this
    // lock for its table only after it counts, so it either stops the release here or
    // builds its table afresh after it.
    if (!canUnload()) return false;
    c.dispatch.clear();
    c.infos.clear();
    c.library.reset();
    return true;
}

}  // namespace morvel::module
