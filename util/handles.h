// Owners for the handles the program acquires. Each closes its handle when
// it goes out of scope, on every path, and cannot be copied (a copied owner
// would release its handle twice).
#pragma once

#include <windows.h>
#include <shellapi.h>

template <typename Handle, Handle Null, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    Handle Get() const { return handle_; }
    bool Valid() const { return handle_ != Null; }
    explicit operator bool() const { return Valid(); }

    // For out-parameters of the platform's functions: releases any handle held.
    Handle* Put()
    {
        Reset();
        return &handle_;
    }
    Handle Release()
    {
        Handle handle = handle_;
        handle_ = Null;
        return handle;
    }
    void Reset(Handle handle = Null)
    {
        if (handle_ != Null)
            Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Null;
};

struct RegKeyTraits {
    static void Close(HKEY key) { RegCloseKey(key); }
};
struct FileHandleTraits {
    static void Close(HANDLE file) { CloseHandle(file); }
};
struct ModuleTraits {
    static void Close(HMODULE module) { FreeLibrary(module); }
};
struct MenuTraits {
    static void Close(HMENU menu) { DestroyMenu(menu); }
};
struct DropTraits {
    static void Close(HDROP drop) { DragFinish(drop); }
};
struct GlobalMemoryTraits {
    static void Close(HGLOBAL memory) { GlobalFree(memory); }
};
struct LocalMemoryTraits {
    static void Close(HLOCAL memory) { LocalFree(memory); }
};

// A key opened or created by the program; never a predefined root key.
using RegKey = UniqueHandle<HKEY, nullptr, RegKeyTraits>;
// A file opened with CreateFile (INVALID_HANDLE_VALUE when none).
class FileHandle : public UniqueHandle<HANDLE, nullptr, FileHandleTraits> {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE file)
        : UniqueHandle(file == INVALID_HANDLE_VALUE ? nullptr : file) {}
};
using Module = UniqueHandle<HMODULE, nullptr, ModuleTraits>;
using Menu = UniqueHandle<HMENU, nullptr, MenuTraits>;
using DropHandle = UniqueHandle<HDROP, nullptr, DropTraits>;
using LocalMemory = UniqueHandle<HLOCAL, nullptr, LocalMemoryTraits>;
// Memory from GlobalAlloc, e.g. for the clipboard; Release it once the clipboard owns it.
using GlobalMemory = UniqueHandle<HGLOBAL, nullptr, GlobalMemoryTraits>;
