// The registry file's reader on any text: it never fails, and what it read,
// the lines it kept as they were included, is written back in a form that
// reads the same again.
#include <cstdint>
#include <string>

#include "platform/common/registry_file.h"

namespace {

bool SameKept(const std::vector<plat::registry::KeptLine>& a,
              const std::vector<plat::registry::KeptLine>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].before != b[i].before || a[i].text != b[i].text) return false;
    }
    return true;
}

bool SameDocument(const plat::registry::Document& a, const plat::registry::Document& b) {
    if (a.keys.size() != b.keys.size() || !SameKept(a.preamble, b.preamble)) return false;
    for (std::size_t k = 0; k < a.keys.size(); ++k) {
        const auto& ka = a.keys[k];
        const auto& kb = b.keys[k];
        if (ka.path != kb.path || ka.values.size() != kb.values.size() ||
            ka.keptHeader != kb.keptHeader || !SameKept(ka.keptLines, kb.keptLines)) {
            return false;
        }
        for (std::size_t v = 0; v < ka.values.size(); ++v) {
            if (ka.values[v].name != kb.values[v].name || ka.values[v].type != kb.values[v].type ||
                ka.values[v].data != kb.values[v].data) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const plat::registry::Document first = plat::registry::Parse(text);
    const std::string written = plat::registry::Serialize(first);
    const plat::registry::Document second = plat::registry::Parse(written);
    if (second.unreadableLines != first.unreadableLines || !SameDocument(first, second)) {
        __builtin_trap();
    }
    if (plat::registry::Serialize(second) != written) __builtin_trap();
    return 0;
}
