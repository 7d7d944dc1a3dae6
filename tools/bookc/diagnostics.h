// Messages of the book compiler: "file:line:column: error: text".
#pragma once

#include <string>
#include <vector>

namespace bookc {

// Where a message points: a file, and a line (0 = the whole file).
struct SourceSpot {
    std::string file;
    int line = 0;
};

struct Diagnostic {
    std::string file;
    int line = 0;    // 0: the file as a whole
    int column = 0;  // 0: the line as a whole
    bool error = true;
    std::string text;
};

class Diagnostics {
public:
    explicit Diagnostics(bool strict = false) : strict_(strict) {}

    bool Strict() const { return strict_; }
    void Error(const SourceSpot& spot, int column, std::string text);
    void Warning(const SourceSpot& spot, int column, std::string text);
    int ErrorCount() const { return errors_; }
    const std::vector<Diagnostic>& Items() const { return items_; }
    // Every message, one per line.
    std::string Format() const;

private:
    bool strict_;
    int errors_ = 0;
    std::vector<Diagnostic> items_;
};

std::string FormatDiagnostic(const Diagnostic& d);

}  // namespace bookc
