// The add-location dialog (105) run from the console dialog inside the test
// process. The dialog is modal on the test's thread; a second thread plays
// the user: it waits for the dialog, types, drops files, drives the real
// file-open dialog and presses the buttons and keys.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <functional>
#include <thread>

#include "console/add_location.h"
#include "res/resource.h"
#include "tests/support/console_in_process.h"
#include "tests/support/test_support.h"

namespace {

using Entries = std::vector<std::string>;

const char kAddTitle[] = "Add Navigation Location...";

struct WindowSearch {
    DWORD threadId;
    const char* title;
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindOwnedDialog(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    char className[64] = {};
    char title[256] = {};
    GetClassNameA(window, className, sizeof className);
    GetWindowTextA(window, title, sizeof title);
    if (lstrcmpA(className, "#32770") != 0 || !IsWindowVisible(window))
        return TRUE;
    if (search->title != nullptr && lstrcmpA(title, search->title) != 0)
        return TRUE;
    if (search->owner != nullptr && GetWindow(window, GW_OWNER) != search->owner)
        return TRUE;
    search->found = window;
    return FALSE;
}

// A visible dialog of the thread with the title (any if null) owned by owner
// (any if null), waited for up to ten seconds.
HWND WaitForDialog(DWORD threadId, const char* title, HWND owner)
{
    for (int i = 0; i < 500; ++i) {
        WindowSearch search{threadId, title, owner, nullptr};
        EnumThreadWindows(threadId, FindOwnedDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(20);
    }
    return nullptr;
}

std::string ItemText(HWND dialog, int id)
{
    char text[1024] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// Runs the Add command on this thread while user() plays the user on another
// thread with the add-location dialog. Whatever user() leaves open is cancelled.
void AddWhile(test::InProcessConsole& console, const std::function<void(HWND)>& user)
{
    DWORD threadId = GetCurrentThreadId();
    std::thread player([&] {
        HWND dialog = WaitForDialog(threadId, kAddTitle, console.Dialog());
        if (dialog == nullptr) {
            ADD_FAILURE() << "the add-location dialog did not appear";
            return;
        }
        user(dialog);
        for (int i = 0; i < 250 && IsWindow(dialog); ++i)
            Sleep(20);
        if (IsWindow(dialog)) {
            ADD_FAILURE() << "the add-location dialog is still open";
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    });
    console.Command(IDC_ADD);
    player.join();
    console.Pump();
}

void Click(HWND dialog, int id)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND FocusOf(DWORD threadId)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(threadId, &info);
    return info.hwndFocus;
}

void PressKey(HWND window, WPARAM key)
{
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

const char kStart[] = "[History]\r\n0=Alpha|ID=Home\r\nLast=1\r\n";

TEST(AddLocation, OkTwiceWithTheSameFieldsAddsTwoEqualEntries)
{
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), kStart);
    ASSERT_NE(nullptr, console.Open(true));
    for (int round = 0; round < 2; ++round) {
        AddWhile(console, [](HWND dialog) {
            // The dialog starts from the empty location.
            EXPECT_EQ("", ItemText(dialog, IDC_LIBRARY_NAME));
            EXPECT_EQ("", ItemText(dialog, IDC_PAGE_NAME));
            SetDlgItemTextA(dialog, IDC_LIBRARY_NAME, "Gamma");
            SetDlgItemTextA(dialog, IDC_PAGE_NAME, "Details");
            Click(dialog, IDOK);
        });
    }
    EXPECT_EQ((Entries{"Alpha|ID=Home", "Gamma|ID=Details", "Gamma|ID=Details"}), console.Entries());
    EXPECT_EQ(2, console.Selection());
    EXPECT_EQ(console.List(), GetFocus());
    EXPECT_EQ("[History]\r\n0=Alpha|ID=Home\r\nLast=3\r\n1=Gamma|ID=Details\r\n2=Gamma|ID=Details\r\n",
              test::ReadFileText(console.IniPath()));
}

TEST(AddLocation, EnterAtOnceAddsTheLocationOfTwoEmptyFields)
{
    test::InProcessConsole console;
    test::WriteFileText(console.IniPath(), kStart);
    ASSERT_NE(nullptr, console.Open(true));
    DWORD threadId = GetCurrentThreadId();
    AddWhile(console, [threadId](HWND dialog) {
        HWND focus = FocusOf(threadId);
        EXPECT_EQ(GetDlgItem(dialog, IDOK), focus) << "OK has the focus when the dialog opens";
        PressKey(focus, VK_RETURN);
    });
    EXPECT_EQ((Entries{"Alpha|ID=Home", "|ID="}), console.Entries());
    EXPECT_EQ(1, console.Selection());
    EXPECT_EQ("[History]\r\n0=Alpha|ID=Home\r\nLast=2\r\n1=|ID=\r\n", test::ReadFileText(console.IniPath()));
}

TEST(AddLocation, CancelAfterEditingChangesNothing)
{
    const WPARAM ways[] = {IDCANCEL, VK_ESCAPE};
    for (WPARAM way : ways) {
        SCOPED_TRACE(way == IDCANCEL ? "Cancel button" : "Escape key");
        test::InProcessConsole console;
        test::WriteFileText(console.IniPath(), kStart);
        ASSERT_NE(nullptr, console.Open(true));
        DWORD threadId = GetCurrentThreadId();
        AddWhile(console, [threadId, way](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_LIBRARY_NAME, "Gamma");
            SetDlgItemTextA(dialog, IDC_PAGE_NAME, "Details");
            if (way == IDCANCEL)
                Click(dialog, IDCANCEL);
            else
                PressKey(FocusOf(threadId), VK_ESCAPE);
        });
        EXPECT_EQ((Entries{"Alpha|ID=Home"}), console.Entries());
        EXPECT_EQ(kStart, test::ReadFileText(console.IniPath()));
    }
}

// An HDROP as the shell makes it: DROPFILES, then the ANSI names, each
// terminated, and one more terminator. DragFinish frees it.
HDROP MakeDrop(const std::vector<std::string>& files)
{
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& file : files)
        size += file.size() + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* names = reinterpret_cast<char*>(drop + 1);
    for (const std::string& file : files) {
        memcpy(names, file.c_str(), file.size() + 1);
        names += file.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

TEST(AddLocation, DropOfThreeFilesTakesTheFirstOnly)
{
    test::TempDir files;
    std::vector<std::string> names = {files.File("first.dll"), files.File("second.dll"), files.File("third.dll")};
    for (const std::string& name : names)
        test::WriteFileText(name, "x");
    test::InProcessConsole console;
    ASSERT_NE(nullptr, console.Open(true));
    AddWhile(console, [&names](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_LIBRARY_NAME, "typed");
        SetDlgItemTextA(dialog, IDC_PAGE_NAME, "Home");
        PostMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(names)), 0);
        for (int i = 0; i < 250 && ItemText(dialog, IDC_LIBRARY_NAME) == "typed"; ++i)
            Sleep(20);
        EXPECT_EQ(names[0], ItemText(dialog, IDC_LIBRARY_NAME));
        EXPECT_EQ("Home", ItemText(dialog, IDC_PAGE_NAME));
        Click(dialog, IDOK);
    });
    EXPECT_EQ((Entries{names[0] + "|ID=Home"}), console.Entries());
}

TEST(AddLocation, DialogAcceptsFilesAndHasItsControlsInOrder)
{
    test::InProcessConsole console;
    ASSERT_NE(nullptr, console.Open(true));
    AddWhile(console, [](HWND dialog) {
        EXPECT_NE(0, GetWindowLongPtrA(dialog, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
        const int ids[] = {IDOK, IDCANCEL, -1, -1, IDC_LIBRARY_NAME, IDC_BROWSE, -1, IDC_PAGE_NAME, -1};
        HWND child = GetWindow(dialog, GW_CHILD);
        for (int id : ids) {
            ASSERT_NE(nullptr, child);
            EXPECT_EQ(id, static_cast<int>(static_cast<short>(GetDlgCtrlID(child))));
            child = GetWindow(child, GW_HWNDNEXT);
        }
        EXPECT_EQ(nullptr, child);
        EXPECT_EQ(260, SendDlgItemMessageA(dialog, IDC_LIBRARY_NAME, EM_GETLIMITTEXT, 0, 0));
        EXPECT_EQ(260, SendDlgItemMessageA(dialog, IDC_PAGE_NAME, EM_GETLIMITTEXT, 0, 0));
        Click(dialog, IDCANCEL);
    });
}

// The file name field of the file-open dialog: the combo box's edit, or the
// plain edit of older templates.
HWND FileNameEdit(HWND fileDialog)
{
    HWND combo = GetDlgItem(fileDialog, cmb13);
    if (combo != nullptr) {
        HWND edit = FindWindowExA(combo, nullptr, "Edit", nullptr);
        return edit != nullptr ? edit : combo;
    }
    return GetDlgItem(fileDialog, edt1);
}

TEST(AddLocation, BrowseReplacesTheLibraryWithTheChosenFullPath)
{
    test::TempDir files;
    std::string current = files.File("current.dll");
    std::string chosen = files.File("chosen.dll");
    test::WriteFileText(current, "x");
    test::WriteFileText(chosen, "x");
    test::InProcessConsole console;
    ASSERT_NE(nullptr, console.Open(true));
    DWORD threadId = GetCurrentThreadId();
    AddWhile(console, [&, threadId](HWND dialog) {
        SetDlgItemTextA(dialog, IDC_LIBRARY_NAME, current.c_str());
        SetDlgItemTextA(dialog, IDC_PAGE_NAME, "About");
        Click(dialog, IDC_BROWSE);
        HWND fileDialog = WaitForDialog(threadId, nullptr, dialog);
        ASSERT_NE(nullptr, fileDialog) << "the file-open dialog did not appear";
        HWND edit = FileNameEdit(fileDialog);
        ASSERT_NE(nullptr, edit);
        // It opens on the named file, in its directory: a bare name chosen
        // there comes back as the full path.
        char shown[MAX_PATH] = {};
        GetWindowTextA(edit, shown, sizeof shown);
        EXPECT_NE(nullptr, strstr(shown, "current.dll")) << shown;
        SetWindowTextA(edit, "chosen.dll");
        PostMessageA(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        for (int i = 0; i < 250 && IsWindow(fileDialog); ++i)
            Sleep(20);
        EXPECT_FALSE(IsWindow(fileDialog));
        EXPECT_EQ(chosen, ItemText(dialog, IDC_LIBRARY_NAME));

        // Cancelled, the file-open dialog leaves the field alone.
        Click(dialog, IDC_BROWSE);
        fileDialog = WaitForDialog(threadId, nullptr, dialog);
        ASSERT_NE(nullptr, fileDialog);
        PostMessageA(fileDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        for (int i = 0; i < 250 && IsWindow(fileDialog); ++i)
            Sleep(20);
        EXPECT_EQ(chosen, ItemText(dialog, IDC_LIBRARY_NAME));
        Click(dialog, IDOK);
    });
    EXPECT_EQ((Entries{chosen + "|ID=About"}), console.Entries());
}

TEST(AddLocation, RunClearsTheBufferAndReportsOkOnly)
{
    test::InProcessConsole console;
    ASSERT_NE(nullptr, console.Open(true));
    DWORD threadId = GetCurrentThreadId();
    const int endings[] = {IDOK, IDCANCEL};
    for (int ending : endings) {
        char location[ADD_LOCATION_BUFFER_SIZE];
        lstrcpyA(location, "Stale|ID=Text");
        std::thread player([&] {
            HWND dialog = WaitForDialog(threadId, kAddTitle, console.Dialog());
            ASSERT_NE(nullptr, dialog);
            EXPECT_EQ("", ItemText(dialog, IDC_LIBRARY_NAME)) << "the dialog starts from the empty location";
            SetDlgItemTextA(dialog, IDC_LIBRARY_NAME, "Delta");
            Click(dialog, ending);
        });
        bool ok = AddLocation_Run(console.Dialog(), location);
        player.join();
        EXPECT_EQ(ending == IDOK, ok);
        EXPECT_STREQ(ending == IDOK ? "Delta|ID=" : "", location);
    }
}

}  // namespace
