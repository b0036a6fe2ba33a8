// One REG_DWORD value in one call: open (or create) the key, read or write,
// close. Both return the platform's status (ERROR_SUCCESS on success).
// A null subkey works on root itself; root is never closed.
#pragma once

#include <windows.h>

// ERROR_CANTREAD (1012) when the value has another type. The platform stores
// the data before the type is known, so a value of another type that fits
// in 4 bytes has overwritten the destination all the same (as many bytes as
// it has). On any other failure the destination is unchanged.
LONG UtilReg_ReadDword(HKEY root, const char* subkey, const char* valueName, DWORD* destination);
// Creates missing keys. A key that cannot be created is reported with
// UtilReport_Error ("Tovalen: Could not create key '<subkey>'").
LONG UtilReg_WriteDword(HKEY root, const char* subkey, const char* valueName, DWORD value);
