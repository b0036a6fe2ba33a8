// The DBWIN_BUFFER protocol: the monitor owns a 4096-byte shared section
// ("DBWIN_BUFFER": the writer's process id, then the NUL-terminated text) and
// two auto-reset events. It signals DBWIN_BUFFER_READY when the section may be
// written; a writer fills it and signals DBWIN_DATA_READY.
#include "tests/support/debug_output.h"

#include <string.h>

namespace test {

namespace {
const DWORD kBufferSize = 4096;
}

DebugOutputRecorder::DebugOutputRecorder()
{
    mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize, "DBWIN_BUFFER");
    bufferReady_ = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY");
    dataReady_ = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_DATA_READY");
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (mapping_ && bufferReady_ && dataReady_ && stop_)
        view_ = static_cast<const char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, kBufferSize));
    active_ = view_ != nullptr;
    if (active_)
        thread_ = std::thread([this] { Run(); });
}

DebugOutputRecorder::~DebugOutputRecorder()
{
    if (thread_.joinable()) {
        SetEvent(stop_);
        thread_.join();
    }
    if (view_)
        UnmapViewOfFile(view_);
    for (HANDLE handle : {mapping_, bufferReady_, dataReady_, stop_})
        if (handle)
            CloseHandle(handle);
}

void DebugOutputRecorder::Run()
{
    HANDLE waits[] = {dataReady_, stop_};
    SetEvent(bufferReady_);
    for (;;) {
        DWORD which = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        if (which != WAIT_OBJECT_0)
            return;
        Entry entry;
        memcpy(&entry.processId, view_, sizeof entry.processId);
        const char* text = view_ + sizeof(DWORD);
        entry.text.assign(text, strnlen(text, kBufferSize - sizeof(DWORD)));
        {
            std::lock_guard<std::mutex> guard(lock_);
            received_.push_back(entry);
        }
        SetEvent(bufferReady_);
    }
}

std::vector<std::string> DebugOutputRecorder::Texts(DWORD processId) const
{
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::string> texts;
    for (const Entry& entry : received_)
        if (entry.processId == processId)
            texts.push_back(entry.text);
    return texts;
}

int DebugOutputRecorder::Count(DWORD processId, const std::string& text) const
{
    int count = 0;
    for (const std::string& received : Texts(processId))
        if (received == text)
            ++count;
    return count;
}

bool DebugOutputRecorder::WaitFor(DWORD processId, const std::string& text, int count, DWORD milliseconds) const
{
    DWORD start = GetTickCount();
    while (Count(processId, text) < count) {
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(20);
    }
    return true;
}

}  // namespace test
