#pragma once
// One move-only owner for every kind of Win32 handle; each kind names its null
// value and how it is closed. Closing keeps the thread's last-error value, so a
// failure can be reported after the handles of the failing scope are released.
#include <windows.h>
#include <objbase.h>

#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Null(); }

    Handle release() { return std::exchange(handle_, Traits::Null()); }

    void reset(Handle handle = Traits::Null())
    {
        const Handle old = std::exchange(handle_, handle);
        if (old != Traits::Null()) {
            const DWORD lastError = GetLastError();
            Traits::Close(old);
            SetLastError(lastError);
        }
    }

    // For out-parameters: the old handle is closed first, so reuse cannot leak.
    Handle* put()
    {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Null();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};

// CreateFile and friends say "no handle" with INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Null() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

// A mutex this thread owns: released, then closed.
struct OwnedMutexTraits {
    using Handle = HANDLE;
    static Handle Null() { return nullptr; }
    static void Close(Handle h)
    {
        ReleaseMutex(h);
        CloseHandle(h);
    }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Null() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};

struct LibraryTraits {
    using Handle = HMODULE;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};

struct MappedViewTraits {
    using Handle = void*;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { UnmapViewOfFile(h); }
};

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};

struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static Handle Null() { return nullptr; }
    static void Close(Handle h) { GlobalFree(h); }
};

// A SID from AllocateAndInitializeSid. The security functions are taken by
// name, as not every system has them; FreeSid comes from the advapi32 that
// made the SID, which is loaded for as long as the SID exists.
struct SidTraits {
    using Handle = PSID;
    static Handle Null() { return nullptr; }
    static void Close(Handle h)
    {
        using FreeSidFunction = PVOID(WINAPI*)(PSID);
        const HMODULE advapi = GetModuleHandleA("advapi32.dll");
        const auto freeSid = advapi ? reinterpret_cast<FreeSidFunction>(
                                          reinterpret_cast<void*>(GetProcAddress(advapi, "FreeSid")))
                                    : nullptr;
        if (freeSid)
            freeSid(h);
    }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueOwnedMutex = UniqueHandle<OwnedMutexTraits>;
using UniqueFind = UniqueHandle<FindHandleTraits>;
using UniqueRegKey = UniqueHandle<RegKeyTraits>;
using UniqueLibrary = UniqueHandle<LibraryTraits>;
using UniqueMappedView = UniqueHandle<MappedViewTraits>;
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;
using UniqueGlobalMemory = UniqueHandle<GlobalMemoryTraits>;
using UniqueSid = UniqueHandle<SidTraits>;

// Owner of one COM interface pointer.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ~ComPtr() { reset(); }

    Interface* get() const { return p_; }
    Interface* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset()
    {
        if (Interface* old = std::exchange(p_, nullptr))
            old->Release();
    }
    Interface** put()
    {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

private:
    Interface* p_ = nullptr;
};
