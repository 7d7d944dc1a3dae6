#include "tools/bookc/diagnostics.h"

namespace bookc {

void Diagnostics::Error(const SourceSpot& spot, int column, std::string text) {
    items_.push_back({spot.file, spot.line, column, true, std::move(text)});
    ++errors_;
}

void Diagnostics::Warning(const SourceSpot& spot, int column, std::string text) {
    items_.push_back({spot.file, spot.line, column, false, std::move(text)});
}

std::string FormatDiagnostic(const Diagnostic& d) {
    std::string out = d.file;
    if (d.line > 0) {
        out += ':' + std::to_string(d.line);
        if (d.column > 0) {
            out += ':' + std::to_string(d.column);
        }
    }
    out += d.error ? ": error: " : ": warning: ";
    out += d.text;
    return out;
}

std::string Diagnostics::Format() const {
    std::string out;
    for (const Diagnostic& d : items_) {
        out += FormatDiagnostic(d);
        out += '\n';
    }
    return out;
}

}  // namespace bookc
