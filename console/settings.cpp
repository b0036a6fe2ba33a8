// Style and page-id settings: kept in process-wide values, shown as check
// marks in the Settings menu and written to the registry whenever they change.
#include "console/settings.h"

#include "console/debug_log.h"
#include "res/resource.h"
#include "util/util_reg.h"

const char SETTINGS_KEY[] = "Software\\Orvane\\Orvane Shared Components\\Tovalen\\Settings";

LONG ForceStyle = -1;
DWORD DisplayPageId = 0;

namespace {

const char FORCE_STYLE_VALUE[] = "ForceStyle";
const char DISPLAY_PAGE_ID_VALUE[] = "DisplayPageId";

}  // namespace

LONG Style_FromCommand(UINT command)
{
    switch (command) {
    case IDM_STYLE_KESTRIN:
        return 3;
    case IDM_STYLE_VANTREL:
        return 2;
    default:
        return -1;
    }
}

void Settings_Read()
{
    // The reader stores what it can over the setting and reports the rest by
    // its status, which changes nothing here: the setting keeps its value.
    UtilReg_ReadDword(HKEY_LOCAL_MACHINE, SETTINGS_KEY, FORCE_STYLE_VALUE, reinterpret_cast<DWORD*>(&ForceStyle));
    UtilReg_ReadDword(HKEY_LOCAL_MACHINE, SETTINGS_KEY, DISPLAY_PAGE_ID_VALUE, &DisplayPageId);
}

void Settings_OnStyleCommand(HWND dialog, UINT command)
{
    ForceStyle = Style_FromCommand(command);
    UtilReg_WriteDword(HKEY_LOCAL_MACHINE, SETTINGS_KEY, FORCE_STYLE_VALUE, static_cast<DWORD>(ForceStyle));
    SettingsMenu_UpdateChecks(dialog);
}

void Settings_OnPageIdCommand(HWND dialog)
{
    DisplayPageId = DisplayPageId == 0 ? 1 : 0;
    UtilReg_WriteDword(HKEY_LOCAL_MACHINE, SETTINGS_KEY, DISPLAY_PAGE_ID_VALUE, DisplayPageId);
    SettingsMenu_UpdateChecks(dialog);
}

void Settings_UpdateChecks(HMENU settingsMenu)
{
    CheckMenuItem(settingsMenu, IDM_STYLE_KESTRIN, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(settingsMenu, IDM_STYLE_VANTREL, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(settingsMenu, IDM_STYLE_DEFAULT, MF_BYCOMMAND | MF_UNCHECKED);
    CheckMenuItem(settingsMenu, IDM_SHOW_PAGE_ID,
                  MF_BYCOMMAND | (DisplayPageId != 0 ? MF_CHECKED : MF_UNCHECKED));
    UINT style = ForceStyle == 2 ? IDM_STYLE_VANTREL : ForceStyle == 3 ? IDM_STYLE_KESTRIN : IDM_STYLE_DEFAULT;
    CheckMenuItem(settingsMenu, style, MF_BYCOMMAND | MF_CHECKED);
}
