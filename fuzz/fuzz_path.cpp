// Fuzz target: the path routines and module paths. The input gives a buffer
// size (0 to 600), a path, a second part and a module file
// name. Buffers are heap blocks of exactly their size.
#include "fuzz_input.h"
#include "util/util_path.h"
#include "util/util_str.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    unsigned bufferSize = in.Number(601);
    std::string path = in.Text();
    std::string second = in.Text();
    std::string moduleName = in.Text();
    if (bufferSize == 0 || path.size() >= bufferSize)
        path.resize(bufferSize ? UtilStr_LengthMax(path.c_str(), bufferSize - 1) : 0);

    if (bufferSize > 0) {
        fuzz::Block buffer(bufferSize);
        memcpy(buffer.Data(), path.c_str(), path.size() + 1);
        char* end = UtilPath_AddSeparator(buffer.Data(), bufferSize);
        size_t length = buffer.TerminatedLength();
        if (end == nullptr) {
            fuzz::Require(path == buffer.Data(), "AddSeparator failing leaves the path");
        } else {
            fuzz::Require(end == buffer.Data() + length, "AddSeparator returns the terminator");
            fuzz::Require(length == path.size() || (length == path.size() + 1 && buffer.Data()[path.size()] == '\\'),
                          "AddSeparator adds one backslash at most");
        }
    }

    {
        std::string copy = path;
        int result = UtilPath_RemoveFileName(&copy[0]);
        size_t length = strlen(copy.c_str());
        fuzz::Require(result == (length != path.size() ? 1 : 0), "RemoveFileName result says whether it cut");
        fuzz::Require(fuzz::OnBoundary(path, length), "RemoveFileName cuts between characters");
    }

    if (bufferSize > 0) {
        fuzz::Block buffer(bufferSize);
        memcpy(buffer.Data(), path.c_str(), path.size() + 1);
        char* result = UtilPath_Combine(buffer.Data(), bufferSize, second.c_str());
        size_t length = buffer.TerminatedLength();
        if (result != nullptr) {
            fuzz::Require(result == buffer.Data(), "Combine returns the buffer");
            std::string tail = second;
            if (!tail.empty() && (tail[0] == '\\' || tail[0] == '/'))
                tail.erase(0, 1);
            fuzz::Require(length >= tail.size() && memcmp(buffer.Data() + length - tail.size(), tail.data(), tail.size()) == 0,
                          "Combine ends with the second part");
        }
    }

    {
        Shim_SetModuleFileName(moduleName.c_str());
        fuzz::Block out(bufferSize);
        int result = UtilModule_BuildPath(nullptr, second.c_str(), out.Data(), bufferSize);
        if (bufferSize == 0) {
            fuzz::Require(result == 0 && out.Data()[0] == '\x7f', "size 0 writes nothing");
        } else {
            size_t length = out.TerminatedLength();
            fuzz::Require(result == 1 || length == 0, "BuildPath leaves no partial path");
        }
    }
    return 0;
}
