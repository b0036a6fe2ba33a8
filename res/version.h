// The program's version, in one place: the version block of tovacon.rc is
// built from these numbers and texts.
#pragma once

#define TOVACON_VERSION_MAJOR   2
#define TOVACON_VERSION_MINOR   40
#define TOVACON_VERSION_BUILD   1193
#define TOVACON_VERSION_PATCH   0

#define TOVACON_STRINGIFY_(x)   #x
#define TOVACON_STRINGIFY(x)    TOVACON_STRINGIFY_(x)
#define TOVACON_VERSION_TEXT                                                   \
    TOVACON_STRINGIFY(TOVACON_VERSION_MAJOR) "." TOVACON_STRINGIFY(TOVACON_VERSION_MINOR) "." \
    TOVACON_STRINGIFY(TOVACON_VERSION_BUILD) "." TOVACON_STRINGIFY(TOVACON_VERSION_PATCH)

#define TOVACON_COMMENTS            "For Internal Use Only"
#define TOVACON_FILE_DESCRIPTION    "Orvane Tovalen Testing Console"
#define TOVACON_INTERNAL_NAME       "TovaCon"
#define TOVACON_ORIGINAL_FILENAME   "TovaCon.exe"
#define TOVACON_PRODUCT_NAME        "Orvane Tovalen"
