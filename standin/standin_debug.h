// How a test makes the stand-in library report debug events through the
// debugger callback the console registered: a hidden window of class
// STANDIN_CONTROL_CLASS, created on the thread that registers the callback,
// takes WM_COPYDATA requests from another process.
#pragma once

#include <windows.h>

const char STANDIN_CONTROL_CLASS[] = "TovalenStandinControl";

// dwData of WM_COPYDATA. STANDIN_DEBUG_EVENTS: lpData is a StandinDebugRequest
// followed by the event text and its NUL; the result is 1 when the events were
// reported (or a worker thread was started to report them), 0 without a
// callback. STANDIN_DEBUG_PENDING: no data; the result is the number of
// worker threads that have not finished yet.
const ULONG_PTR STANDIN_DEBUG_EVENTS = 1;
const ULONG_PTR STANDIN_DEBUG_PENDING = 2;

// Report from a new worker thread instead of the control window's thread.
const DWORD STANDIN_DEBUG_ON_WORKER = 1;
// Append the event's number (0, 1, ...) to the text of each event.
const DWORD STANDIN_DEBUG_NUMBERED = 2;

struct StandinDebugRequest {
    DWORD category;
    DWORD count;   // events to report, each with the text
    DWORD flags;
};
