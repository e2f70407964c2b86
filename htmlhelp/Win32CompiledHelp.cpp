#include "Win32CompiledHelp.h"

#include <windows.h>
#include <objbase.h>

#include "comkit/Handles.h"

namespace morvel::htmlhelp::compiledhelp {

// The storage's own interface, declared from its documented table of functions (the
// mingw-w64 headers have none). Only StgOpenStorage is called; the slots before it keep
// their places. Not in an anonymous namespace: there the compiler takes the class for one
// nothing outside this file implements and turns the calls into calls of nothing.
MIDL_INTERFACE("88cc31de-27ab-11d0-9df9-00a0c922e6ec")
ITStorage : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {

constexpr CLSID CLSID_ITStorage_ = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
constexpr IID IID_ITStorage_ = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

// The most a stream is read whole; index and map streams are far smaller.
constexpr ULONGLONG MaxStream = 64u << 20;
// The most streams listed: a compiler's largest files hold tens of thousands.
constexpr std::size_t MaxStreams = std::size_t(1) << 20;

// COM for the length of one call, when the thread has none yet (the tool's own threads);
// a host's apartment is left as it is.
class ComForCall {
public:
    ComForCall() : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComForCall()
    {
        if (initialized_) ::CoUninitialize();
    }
    ComForCall(const ComForCall&) = delete;
    ComForCall& operator=(const ComForCall&) = delete;

private:
    bool initialized_;
};

const wchar_t* wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

HRESULT openStorage(const std::u16string& file, ComPtr<IStorage>& storage)
{
    ComPtr<ITStorage> its;
    HRESULT hr = ::CoCreateInstance(CLSID_ITStorage_, nullptr, CLSCTX_INPROC_SERVER, IID_ITStorage_, its.putVoid());
    if (FAILED(hr)) return hr;
    return its->StgOpenStorage(wide(file), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, storage.put());
}

// Owns the name a STATSTG carries.
struct StatName {
    LPOLESTR name = nullptr;
    ~StatName() { ::CoTaskMemFree(name); }
};

HRESULT walk(IStorage* storage, const std::u16string& prefix, std::vector<std::u16string>& streams, int depth)
{
    ComPtr<IEnumSTATSTG> elements;
    HRESULT hr = storage->EnumElements(0, nullptr, 0, elements.put());
    if (FAILED(hr)) return hr;
    for (;;) {
        STATSTG stat{};
        ULONG fetched = 0;
        if (elements->Next(1, &stat, &fetched) != S_OK || fetched != 1) break;
        const StatName owned{stat.pwcsName};
        if (!stat.pwcsName) continue;
        std::u16string name = reinterpret_cast<const char16_t*>(stat.pwcsName);
        // An element's name is its own; Wine's storage names the elements of a sub-storage
        // by their path from the root instead ("enums/X.htm" inside "enums"). Both are taken.
        const std::u16string inside = prefix.substr(1);
        if (!inside.empty() && name.starts_with(inside)) name.erase(0, inside.size());
        const std::u16string path = prefix + name;
        if (stat.type == STGTY_STREAM) {
            if (streams.size() >= MaxStreams) return E_OUTOFMEMORY;
            streams.push_back(path);
        } else if (stat.type == STGTY_STORAGE && depth < 16) {
            ComPtr<IStorage> sub;
            if (SUCCEEDED(storage->OpenStorage(stat.pwcsName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                               sub.put())))
                if (HRESULT inner = walk(sub.get(), path + u'/', streams, depth + 1); inner == E_OUTOFMEMORY)
                    return inner;
        }
    }
    return S_OK;
}

}  // namespace

long listStreams(const std::u16string& file, std::vector<std::u16string>& streams)
{
    streams.clear();
    const ComForCall com;
    ComPtr<IStorage> storage;
    HRESULT hr = openStorage(file, storage);
    if (FAILED(hr)) return hr;
    hr = walk(storage.get(), u"/", streams, 0);
    if (FAILED(hr)) streams.clear();
    return hr;
}

long readStream(const std::u16string& file, const std::u16string& stream, std::vector<std::uint8_t>& data)
{
    data.clear();
    const ComForCall com;
    ComPtr<IStorage> storage;
    HRESULT hr = openStorage(file, storage);
    if (FAILED(hr)) return hr;
    ComPtr<IStream> opened;
    hr = storage->OpenStream(wide(stream), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, opened.put());
    if (FAILED(hr)) return hr;
    STATSTG stat{};
    hr = opened->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    if (stat.cbSize.QuadPart > MaxStream) return E_OUTOFMEMORY;
    data.resize(static_cast<std::size_t>(stat.cbSize.QuadPart));
    std::size_t total = 0;
    while (total < data.size()) {
        ULONG got = 0;
        hr = opened->Read(data.data() + total, static_cast<ULONG>(data.size() - total), &got);
        if (FAILED(hr)) {
            data.clear();
            return hr;
        }
        if (got == 0) break;
        total += got;
    }
    data.resize(total);
    return S_OK;
}

}  // namespace morvel::htmlhelp::compiledhelp
