// key_script_fuzz.cpp -- any text given to the key-script reader: no crash, and what it
// accepts is exactly what it reads back once written out again
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "recordings/key_script.h"
#include "state/keys.h"

namespace {
constexpr uint32_t allKeys = HeldEsc | HeldLeft | HeldRight | HeldUp | HeldDown | HeldSpace | HeldS;

void require(bool condition) {
    if (!condition) std::abort();
}

// Writes a script line back as a recording writes it.
std::string lineText(const KeyScriptLine& line) {
    char keys[32];
    writeKeyNames(line.keys, keys);
    return std::to_string(line.count) + ' ' + keys + '\n';
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    KeyScript script = parseKeyScript(text);

    int textLines = 1;
    for (char c : text) textLines += c == '\n';
    if (!script.ok()) {
        require(script.lines.empty());
        require(!script.error.empty());
        require(script.errorLine >= 1 && script.errorLine <= textLines);
        return 0;
    }
    require(script.error.empty());
    require(static_cast<int>(script.lines.size()) <= textLines);
    std::string written;
    for (const KeyScriptLine& line : script.lines) {
        require(line.count >= 1);
        require((line.keys & ~allKeys) == 0);
        written += lineText(line);
    }
    KeyScript again = parseKeyScript(written);
    require(again.ok() && again.lines.size() == script.lines.size());
    for (size_t i = 0; i < again.lines.size(); ++i) {
        require(again.lines[i].count == script.lines[i].count);
        require(again.lines[i].keys == script.lines[i].keys);
    }
    return 0;
}
