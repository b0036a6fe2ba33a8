// Registry value helpers. Keys are held by RegKey so that every path,
// including an unwinding exception, closes what was opened here.
#include "util/util_reg.h"

#include "util/handles.h"
#include "util/util_report.h"

LONG UtilReg_ReadDword(HKEY root, const char* subkey, const char* valueName, DWORD* destination)
{
    RegKey opened;
    HKEY key = root;
    if (subkey != nullptr) {
        LONG status = RegOpenKeyExA(root, subkey, 0, KEY_READ, opened.Put());
        if (status != ERROR_SUCCESS)
            return status;
        key = opened.Get();
    }
    DWORD type = REG_NONE;
    DWORD size = sizeof *destination;
    LONG status = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(destination), &size);
    if (status == ERROR_SUCCESS && type != REG_DWORD)
        status = ERROR_CANTREAD;
    return status;
}

LONG UtilReg_WriteDword(HKEY root, const char* subkey, const char* valueName, DWORD value)
{
    RegKey created;
    HKEY key = root;
    if (subkey != nullptr) {
        DWORD disposition = 0;
        LONG status = RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                      created.Put(), &disposition);
        if (status != ERROR_SUCCESS) {
            UtilReport_Error("Tovalen: Could not create key '%s'", subkey);
            return status;
        }
        key = created.Get();
    }
    return RegSetValueExA(key, valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}
