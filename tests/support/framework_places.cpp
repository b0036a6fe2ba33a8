// The registry value Location and the default directory, taken over by a
// test and given back as they were.
#include "tests/support/framework_places.h"

#include "util/handles.h"

namespace test {

const char kFrameworkKey[] = "Software\\Orvane\\Orvane Shared Components\\Tovalen";
const char kFrameworkDefaultDirectory[] = "C:\\Program Files\\Orvane\\Orvane Shared Components\\Tovalen";

namespace {

#if defined(_WIN64)
const REGSAM kView = 0;
#else
const REGSAM kView = KEY_WOW64_32KEY;
#endif

const char kValueName[] = "Location";

}  // namespace

void ScopedLocationValue::Save()
{
    RegKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kFrameworkKey, 0, nullptr, 0, KEY_READ | KEY_WRITE | kView,
                        nullptr, key.Put(), &disposition) != ERROR_SUCCESS)
        return;
    createdKey_ = disposition == REG_CREATED_NEW_KEY;
    DWORD size = 0;
    if (RegQueryValueExA(key.Get(), kValueName, nullptr, &oldType_, nullptr, &size) == ERROR_SUCCESS) {
        old_.resize(size);
        hadOld_ = RegQueryValueExA(key.Get(), kValueName, nullptr, &oldType_, old_.data(), &size) ==
                  ERROR_SUCCESS;
    }
    ok_ = true;
}

ScopedLocationValue::ScopedLocationValue()
{
    Save();
    if (!ok_)
        return;
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFrameworkKey, 0, KEY_WRITE | kView, key.Put()) == ERROR_SUCCESS) {
        LONG status = RegDeleteValueA(key.Get(), kValueName);
        ok_ = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
}

ScopedLocationValue::ScopedLocationValue(DWORD type, const std::vector<BYTE>& bytes)
{
    Save();
    if (!ok_)
        return;
    RegKey key;
    ok_ = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFrameworkKey, 0, KEY_WRITE | kView, key.Put()) == ERROR_SUCCESS &&
          RegSetValueExA(key.Get(), kValueName, 0, type, bytes.empty() ? nullptr : bytes.data(),
                         static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

ScopedLocationValue::ScopedLocationValue(const std::string& text)
    : ScopedLocationValue(REG_SZ, std::vector<BYTE>(text.c_str(), text.c_str() + text.size() + 1))
{
}

ScopedLocationValue::~ScopedLocationValue()
{
    RegKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFrameworkKey, 0, KEY_WRITE | kView, key.Put()) != ERROR_SUCCESS)
        return;
    if (hadOld_)
        RegSetValueExA(key.Get(), kValueName, 0, oldType_, old_.data(), static_cast<DWORD>(old_.size()));
    else
        RegDeleteValueA(key.Get(), kValueName);
    key.Reset();
    // A key the test created goes again, unless something was put into it meanwhile.
    if (createdKey_ && !hadOld_) {
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kFrameworkKey, kView, 0);
    }
}

bool DefaultLibraryPresent()
{
    return GetFileAttributesA((std::string(kFrameworkDefaultDirectory) + "\\Tovalen.dll").c_str()) !=
           INVALID_FILE_ATTRIBUTES;
}

ScopedDefaultLibrary::ScopedDefaultLibrary(const std::string& library)
{
    if (DefaultLibraryPresent())
        return;
    std::string dir = kFrameworkDefaultDirectory;
    for (size_t pos = dir.find('\\', 3);; pos = dir.find('\\', pos + 1)) {
        std::string part = dir.substr(0, pos);
        if (GetFileAttributesA(part.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (!CreateDirectoryA(part.c_str(), nullptr))
                return;
            created_.push_back(part);
        }
        if (pos == std::string::npos)
            break;
    }
    ok_ = CopyFileA(library.c_str(), File().c_str(), TRUE) != FALSE;
}

ScopedDefaultLibrary::~ScopedDefaultLibrary()
{
    if (ok_)
        DeleteFileA(File().c_str());
    for (auto it = created_.rbegin(); it != created_.rend(); ++it)
        RemoveDirectoryA(it->c_str());
}

std::string ScopedDefaultLibrary::File() const
{
    return std::string(kFrameworkDefaultDirectory) + "\\Tovalen.dll";
}

}  // namespace test
