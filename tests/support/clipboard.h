// The clipboard's text, for tests and the real-input probe.
#pragma once

#include <string>

namespace test {

// The clipboard's text (CF_TEXT), empty when there is none.
std::string ClipboardText();
void SetClipboardText(const std::string& text);

}  // namespace test
