#include "tests/support/debug_output_monitor.h"

namespace test {

DebugOutputMonitor::DebugOutputMonitor()
{
    bufferReady_ = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY");
    dataReady_ = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
    section_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "DBWIN_BUFFER");
    if (bufferReady_ && dataReady_ && section_)
        view_ = static_cast<const char*>(MapViewOfFile(section_, FILE_MAP_READ, 0, 0, 4096));
    if (view_)
        SetEvent(bufferReady_);
}

DebugOutputMonitor::~DebugOutputMonitor()
{
    if (view_)
        UnmapViewOfFile(view_);
    for (HANDLE handle : {section_, dataReady_, bufferReady_})
        if (handle)
            CloseHandle(handle);
}

bool DebugOutputMonitor::Receive(std::string* text, DWORD milliseconds)
{
    if (!view_ || WaitForSingleObject(dataReady_, milliseconds) != WAIT_OBJECT_0)
        return false;
    // The section holds the sender's process id, then the text.
    const char* begin = view_ + sizeof(DWORD);
    text->assign(begin, strnlen(begin, 4096 - sizeof(DWORD)));
    SetEvent(bufferReady_);
    return true;
}

}  // namespace test
