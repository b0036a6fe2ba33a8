// The stand-in framework's frame windows and its location format.
//
// A location names an extension library and a page:
//     <library>|ID=<page>[|<field>=<value>...]
// '%', '|' and '=' inside a library name, field name or value are written as
// %25, %7C and %3D, so any text survives a round trip. Text is walked by whole
// characters, so a DBCS trail byte that happens to be '|' is never a separator.
//
// A frame window (class "TovalenFrame") shows one page at a time: the library
// and page names, drawn plainly, and buttons for the pages linked from it.
// Every page it shows is reported to the frame itself with FRAME_MSG_LOCATION,
// which is how a console that subclasses the frame learns where it is.
#include "framework/framework_interface.h"
#include "standin/standin.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <new>
#include <string>
#include <vector>

namespace {

const char kPageField[] = "ID";
const char kHomePage[] = "Home";
const int kLinkBase = 100;  // control id of the first link button
const int kMaxLinks = 4;

// The pages every library offers, and where each links to.
struct PageLinks {
    const char* page;
    const char* links[kMaxLinks];
};
const PageLinks kPages[] = {
    {"Home", {"Settings", "Details", "About", nullptr}},
    {"Settings", {"Home", "Advanced", nullptr, nullptr}},
    {"Advanced", {"Settings", "Home", nullptr, nullptr}},
    {"Details", {"Home", "About", nullptr, nullptr}},
    {"About", {"Home", nullptr, nullptr, nullptr}},
};
// Shown for a page name the library does not have.
const PageLinks kUnknownPage = {nullptr, {"Home", nullptr, nullptr, nullptr}};

// The frame windows open now, in the order they were opened.
std::vector<HWND> g_frames;

struct Field {
    std::string name;
    std::string value;
};

struct ParsedLocation {
    std::string library;
    std::vector<Field> fields;
};

struct FrameState {
    std::string location;
    std::string library;
    std::string page;
    bool libraryExists = false;
    bool knownPage = false;
};

bool IsLead(char c)
{
    return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE;
}

void FrameDebug(DWORD category, const char* format, ...)
{
    LPARAM context = 0;
    FrameworkDebuggerProc callback = Standin_Debugger(&context);
    if (callback == nullptr)
        return;
    char text[1024];
    va_list args;
    va_start(args, format);
    int len = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (len < 0)
        return;
    callback(category, text, context);
}

// Appends text with '%', '|' and '=' escaped; DBCS pairs are copied whole.
void AppendEscaped(std::string& out, const char* text)
{
    for (const char* p = text; *p != '\0'; ++p) {
        if (IsLead(*p) && p[1] != '\0') {
            out += p[0];
            out += p[1];
            ++p;
        } else if (*p == '%' || *p == '|' || *p == '=') {
            char escaped[4];
            snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(*p));
            out += escaped;
        } else {
            out += *p;
        }
    }
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Undoes AppendEscaped on [begin, end); false for a malformed escape.
bool Unescape(const char* begin, const char* end, std::string& out)
{
    out.clear();
    for (const char* p = begin; p < end; ++p) {
        if (IsLead(*p) && p + 1 < end) {
            out += p[0];
            out += p[1];
            ++p;
        } else if (*p == '%') {
            if (end - p < 3 || HexValue(p[1]) < 0 || HexValue(p[2]) < 0)
                return false;
            out += static_cast<char>(HexValue(p[1]) * 16 + HexValue(p[2]));
            p += 2;
        } else {
            out += *p;
        }
    }
    return true;
}

// Where the segment starting at p ends: at the next '|' that is a character
// of its own, or at the terminator.
const char* SegmentEnd(const char* p)
{
    while (*p != '\0' && *p != '|')
        p += (IsLead(*p) && p[1] != '\0') ? 2 : 1;
    return p;
}

// False when the text is not a location: empty library name, a field without
// '=' or with an empty name, or a malformed escape.
bool ParseLocation(const char* text, ParsedLocation& parsed)
{
    parsed = ParsedLocation();
    const char* end = SegmentEnd(text);
    if (!Unescape(text, end, parsed.library) || parsed.library.empty())
        return false;
    while (*end == '|') {
        const char* begin = end + 1;
        end = SegmentEnd(begin);
        const char* equals = begin;
        while (equals < end && *equals != '=')
            equals += (IsLead(*equals) && equals + 1 < end) ? 2 : 1;
        if (equals >= end || equals == begin)
            return false;
        Field field;
        if (!Unescape(begin, equals, field.name) || !Unescape(equals + 1, end, field.value))
            return false;
        parsed.fields.push_back(field);
    }
    return true;
}

const std::string* FindField(const ParsedLocation& parsed, const char* name)
{
    for (const Field& field : parsed.fields)
        if (lstrcmpiA(field.name.c_str(), name) == 0)
            return &field.value;
    return nullptr;
}

// Copies text into out (size bytes), cut at a character boundary if it does
// not fit; the result is always terminated. False when it was cut.
bool CopyBounded(const std::string& text, char* out, int size)
{
    if (out == nullptr || size <= 0)
        return false;
    size_t room = static_cast<size_t>(size) - 1;
    size_t n = 0;
    while (n < text.size()) {
        size_t step = (IsLead(text[n]) && n + 1 < text.size()) ? 2 : 1;
        if (n + step > room)
            break;
        n += step;
    }
    memcpy(out, text.data(), n);
    out[n] = '\0';
    return n == text.size();
}

std::string ComposeLocation(const std::string& library, const std::string& page)
{
    std::string location;
    AppendEscaped(location, library.c_str());
    location += '|';
    AppendEscaped(location, kPageField);
    location += '=';
    AppendEscaped(location, page.c_str());
    return location;
}

bool HasPathPart(const std::string& name)
{
    return name.find_first_of("\\/:") != std::string::npos;
}

// A library named by path must exist there; a bare name is searched for as
// the system searches for a DLL.
bool LibraryFileExists(const std::string& library)
{
    if (HasPathPart(library)) {
        DWORD attributes = GetFileAttributesA(library.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    char found[MAX_PATH];
    DWORD n = SearchPathA(nullptr, library.c_str(), ".dll", sizeof found, found, nullptr);
    return n > 0 && n < sizeof found;
}

const PageLinks& LinksOf(const std::string& page, bool& known)
{
    for (const PageLinks& entry : kPages) {
        if (lstrcmpiA(entry.page, page.c_str()) == 0) {
            known = true;
            return entry;
        }
    }
    known = false;
    return kUnknownPage;
}

FrameState* StateOf(HWND frame)
{
    return reinterpret_cast<FrameState*>(GetWindowLongPtrA(frame, GWLP_USERDATA));
}

void LayoutLinks(HWND frame, const PageLinks& links)
{
    for (int i = 0; i < kMaxLinks; ++i) {
        HWND button = GetDlgItem(frame, kLinkBase + i);
        if (links.links[i] == nullptr) {
            if (button != nullptr)
                DestroyWindow(button);
            continue;
        }
        if (button == nullptr) {
            button = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                     16 + i * 110, 90, 100, 26, frame,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLinkBase + i)),
                                     g_standinInstance, nullptr);
            SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        }
        SetWindowTextA(button, links.links[i]);
    }
}

// Shows the location in the frame and reports it to the frame; false (and a
// Fail event) when the text is not a location.
bool ShowLocation(HWND frame, const char* location)
{
    FrameState* state = StateOf(frame);
    if (state == nullptr)
        return false;
    ParsedLocation parsed;
    if (!ParseLocation(location, parsed)) {
        Standin_Record("frame cannot parse %s", location);
        FrameDebug(FRAMEWORK_DEBUG_FAIL, "Tovalen: cannot parse the location \"%s\"", location);
        return false;
    }
    const std::string* page = FindField(parsed, kPageField);
    state->location = location;
    state->library = parsed.library;
    state->page = (page == nullptr || page->empty()) ? kHomePage : *page;
    state->libraryExists = LibraryFileExists(state->library);
    if (!state->libraryExists)
        FrameDebug(FRAMEWORK_DEBUG_WARN, "Tovalen: the library file \"%s\" does not exist", state->library.c_str());

    LayoutLinks(frame, LinksOf(state->page, state->knownPage));
    std::string title = "Tovalen - " + state->library + " - " + state->page;
    SetWindowTextA(frame, title.c_str());
    InvalidateRect(frame, nullptr, TRUE);

    Standin_Record("frame shows %s", location);
    FrameDebug(FRAMEWORK_DEBUG_TRACE, "Tovalen: showing page \"%s\" of \"%s\"", state->page.c_str(),
               state->library.c_str());
    // The frame learns its own location the way the framework's frames do;
    // the report outlives the message, and the text is the frame's own copy.
    std::string reported = state->location;
    FrameLocationReport report{};
    report.field0 = sizeof report;
    report.location = reported.c_str();
    SendMessageA(frame, FRAME_MSG_LOCATION, 0, reinterpret_cast<LPARAM>(&report));
    return true;
}

void OnPaint(HWND frame)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(frame, &paint);
    const FrameState* state = StateOf(frame);
    if (state != nullptr) {
        HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
        SetBkMode(dc, TRANSPARENT);
        std::string lines[] = {
            "Library: " + state->library + (state->libraryExists ? "" : "  (file not found)"),
            "Page: " + state->page + (state->knownPage ? "" : "  (no such page)"),
            "Location: " + state->location,
        };
        int y = 16;
        for (const std::string& line : lines) {
            TextOutA(dc, 16, y, line.c_str(), static_cast<int>(line.size()));
            y += 22;
        }
        SelectObject(dc, oldFont);
    }
    EndPaint(frame, &paint);
}

void OnLinkClicked(HWND frame, int id)
{
    FrameState* state = StateOf(frame);
    if (state == nullptr)
        return;
    char page[256] = {};
    GetDlgItemTextA(frame, id, page, sizeof page);
    std::string location = ComposeLocation(state->library, page);
    Standin_Record("frame link %s", page);
    ShowLocation(frame, location.c_str());
}

LRESULT OnNavigate(HWND frame, WPARAM wParam, LPARAM lParam)
{
    const char* location = reinterpret_cast<const char*>(lParam);
    Standin_Record("FRAME_MSG_NAVIGATE wParam=%lu location=%s", static_cast<unsigned long>(wParam),
                   location ? location : "(null)");
    if (location == nullptr) {
        FrameDebug(FRAMEWORK_DEBUG_FAIL, "Tovalen: navigation without a location");
        return FALSE;
    }
    return ShowLocation(frame, location);
}

// Another process (a test, a script) asks the frame to show a location: the
// text travels in a WM_COPYDATA with dwData FRAME_MSG_NAVIGATE.
LRESULT OnCopyData(HWND frame, LPARAM lParam)
{
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data == nullptr || data->dwData != FRAME_MSG_NAVIGATE || data->lpData == nullptr)
        return FALSE;
    std::string location(static_cast<const char*>(data->lpData), data->cbData);
    location.resize(strnlen(location.c_str(), location.size()));
    Standin_Record("WM_COPYDATA navigate length=%lu", static_cast<unsigned long>(location.size()));
    return ShowLocation(frame, location.c_str());
}

LRESULT FrameProcBody(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(frame, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcA(frame, message, wParam, lParam);
    }
    case WM_NCDESTROY:
        for (auto it = g_frames.begin(); it != g_frames.end(); ++it) {
            if (*it == frame) {
                g_frames.erase(it);
                break;
            }
        }
        delete StateOf(frame);
        SetWindowLongPtrA(frame, GWLP_USERDATA, 0);
        return DefWindowProcA(frame, message, wParam, lParam);
    case WM_PAINT:
        OnPaint(frame);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) >= kLinkBase && LOWORD(wParam) < kLinkBase + kMaxLinks)
            OnLinkClicked(frame, LOWORD(wParam));
        return 0;
    case WM_COPYDATA:
        return OnCopyData(frame, lParam);
    case WM_CLOSE:
        Standin_Record("WM_CLOSE wParam=%lu lParam=%ld", static_cast<unsigned long>(wParam),
                       static_cast<long>(lParam));
        DestroyWindow(frame);
        return 0;
    case WM_DESTROY: {
        // A frame owned by a window goes with it: a close request posted just
        // before its owner went away is still waiting. It is written down, so
        // that a client's request can be seen although it came too late.
        MSG pending;
        if (PeekMessageA(&pending, frame, WM_CLOSE, WM_CLOSE, PM_NOREMOVE))
            Standin_Record("frame destroyed with a pending WM_CLOSE wParam=%lu lParam=%ld",
                           static_cast<unsigned long>(pending.wParam), static_cast<long>(pending.lParam));
        else
            Standin_Record("frame destroyed");
        FrameDebug(FRAMEWORK_DEBUG_TRACE, "Tovalen: frame window closed");
        return 0;
    }
    default:
        break;
    }
    if (message == FRAME_MSG_NAVIGATE)
        return OnNavigate(frame, wParam, lParam);
    if (message == FRAME_MSG_LOCATION) {
        const auto* report = reinterpret_cast<const FrameLocationReport*>(lParam);
        Standin_Record("FRAME_MSG_LOCATION reached the frame: %s",
                       report && report->location ? report->location : "(null)");
        return 0;
    }
    return DefWindowProcA(frame, message, wParam, lParam);
}

LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        return FrameProcBody(frame, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

bool RegisterFrameClass()
{
    WNDCLASSEXA frameClass{};
    frameClass.cbSize = sizeof frameClass;
    frameClass.style = CS_HREDRAW | CS_VREDRAW;
    frameClass.lpfnWndProc = FrameProc;
    frameClass.hInstance = g_standinInstance;
    frameClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frameClass.lpszClassName = FRAME_WINDOW_CLASS;
    return RegisterClassExA(&frameClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND OpenFrame(const FrameworkWindowInfo* info)
{
    if (info == nullptr || info->size != sizeof(FrameworkWindowInfo) || info->location == nullptr) {
        FrameDebug(FRAMEWORK_DEBUG_FAIL, "Tovalen: DoTovalenWindowA was given no valid window record");
        return nullptr;
    }
    ParsedLocation parsed;
    if (!ParseLocation(info->location, parsed)) {
        Standin_Record("frame cannot parse %s", info->location);
        FrameDebug(FRAMEWORK_DEBUG_FAIL, "Tovalen: cannot parse the location \"%s\"", info->location);
        return nullptr;
    }
    if (!RegisterFrameClass())
        return nullptr;
    auto* state = new (std::nothrow) FrameState;
    if (state == nullptr)
        return nullptr;
    HWND frame = CreateWindowExA(0, FRAME_WINDOW_CLASS, "Tovalen", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                 CW_USEDEFAULT, 480, 200, info->owner, nullptr, g_standinInstance, state);
    if (frame == nullptr) {
        delete state;
        return nullptr;
    }
    g_frames.push_back(frame);
    if (info->instance != nullptr && info->iconId != 0) {
        HICON icon = LoadIconA(info->instance, MAKEINTRESOURCEA(info->iconId));
        if (icon != nullptr)
            SendMessageA(frame, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
    ShowWindow(frame, info->show != 0 ? static_cast<int>(info->show) : SW_SHOWNORMAL);
    ShowLocation(frame, info->location);
    return frame;
}

std::string FieldValue(const char* location, const char* fieldName)
{
    ParsedLocation parsed;
    if (location == nullptr || !ParseLocation(location, parsed))
        return std::string();
    if (fieldName == nullptr)
        return parsed.library;
    const std::string* value = FindField(parsed, fieldName);
    return value ? *value : std::string();
}

}  // namespace

void StandinFrame_CloseAll()
{
    std::vector<HWND> frames = g_frames;
    for (HWND frame : frames) {
        // What was already sent to the frame is handled first: a close
        // request the client posted just before cleaning up closes it.
        MSG message;
        while (IsWindow(frame) && PeekMessageA(&message, frame, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        if (IsWindow(frame)) {
            Standin_Record("cleanup closes a frame");
            DestroyWindow(frame);
        }
    }
    g_frames.clear();
    UnregisterClassA(FRAME_WINDOW_CLASS, g_standinInstance);
}

extern "C" HWND WINAPI DoTovalenWindowA(const FrameworkWindowInfo* info)
{
    try {
        if (info != nullptr) {
            Standin_Record("DoTovalenWindowA size=%lu kind=%lu instance=%p owner=%p show=%lu location=%s icon=%lu "
                           "r28=%lu r32=%lu r36=%lu r40=%lu",
                           static_cast<unsigned long>(info->size), static_cast<unsigned long>(info->kind),
                           static_cast<void*>(info->instance), static_cast<void*>(info->owner),
                           static_cast<unsigned long>(info->show), info->location ? info->location : "(null)",
                           static_cast<unsigned long>(info->iconId), static_cast<unsigned long>(info->reserved[0]),
                           static_cast<unsigned long>(info->reserved[1]), static_cast<unsigned long>(info->reserved[2]),
                           static_cast<unsigned long>(info->reserved[3]));
        } else {
            Standin_Record("DoTovalenWindowA null");
        }
        return OpenFrame(info);
    } catch (...) {
        return nullptr;
    }
}

extern "C" BOOL WINAPI TovalenGetLocationFieldValue(const char* location, const char* fieldName, char* out, int size)
{
    try {
        Standin_Record("TovalenGetLocationFieldValue location=%s field=%s size=%d", location ? location : "(null)",
                       fieldName ? fieldName : "(null)", size);
        return CopyBounded(FieldValue(location, fieldName), out, size);
    } catch (...) {
        if (out != nullptr && size > 0)
            out[0] = '\0';
        return FALSE;
    }
}

extern "C" BOOL __cdecl TovalenFormatLocation(char* out, int size, const char* libraryName, int count, ...)
{
    if (out == nullptr || size <= 0)
        return FALSE;
    out[0] = '\0';
    try {
        std::string location;
        std::string recorded;
        AppendEscaped(location, libraryName ? libraryName : "");
        va_list args;
        va_start(args, count);
        for (int i = 0; i < count; ++i) {
            const char* name = va_arg(args, const char*);
            const char* value = va_arg(args, const char*);
            location += '|';
            AppendEscaped(location, name ? name : "");
            location += '=';
            AppendEscaped(location, value ? value : "");
            recorded += std::string(" ") + (name ? name : "(null)") + "=" + (value ? value : "(null)");
        }
        va_end(args);
        Standin_Record("TovalenFormatLocation size=%d library=%s count=%d%s", size,
                       libraryName ? libraryName : "(null)", count, recorded.c_str());
        return CopyBounded(location, out, size);
    } catch (...) {
        out[0] = '\0';
        return FALSE;
    }
}
