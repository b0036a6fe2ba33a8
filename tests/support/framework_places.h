// The places outside a test's own directories where the console looks for
// the framework library: the registry value Location and the default
// directory. Each helper takes the place over for the test's lifetime and
// gives it back as it was.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// The key of the value Location, under HKEY_LOCAL_MACHINE.
extern const char kFrameworkKey[];
// The default install directory the console falls back to.
extern const char kFrameworkDefaultDirectory[];

// Sets (or removes) HKLM\...\Tovalen "Location" and restores the previous
// value, or its absence, when destroyed. The 32-bit program reads the 32-bit
// view of the registry; the x86-64 test build of the same code reads the
// native view, so each build writes the view its own code reads.
class ScopedLocationValue {
public:
    // Removes the value for the lifetime of the object.
    ScopedLocationValue();
    // Sets the value to these bytes with this type (any type).
    ScopedLocationValue(DWORD type, const std::vector<BYTE>& bytes);
    // Sets a REG_SZ value with its terminator.
    explicit ScopedLocationValue(const std::string& text);
    ~ScopedLocationValue();
    ScopedLocationValue(const ScopedLocationValue&) = delete;
    ScopedLocationValue& operator=(const ScopedLocationValue&) = delete;
    bool Ok() const { return ok_; }

private:
    void Save();
    bool ok_ = false;
    bool hadOld_ = false;
    bool createdKey_ = false;
    DWORD oldType_ = 0;
    std::vector<BYTE> old_;
};

// Places a copy of a library in the default directory (creating the missing
// directories) and removes what it created when destroyed. Not Ok() when the
// directory already holds a Tovalen.dll that is not the test's own.
class ScopedDefaultLibrary {
public:
    explicit ScopedDefaultLibrary(const std::string& library);
    ~ScopedDefaultLibrary();
    ScopedDefaultLibrary(const ScopedDefaultLibrary&) = delete;
    ScopedDefaultLibrary& operator=(const ScopedDefaultLibrary&) = delete;
    bool Ok() const { return ok_; }
    std::string File() const;

private:
    bool ok_ = false;
    std::vector<std::string> created_;
};

// True when the default directory holds a Tovalen.dll (the fatal paths
// cannot be reached there).
bool DefaultLibraryPresent();

}  // namespace test
