// A whole WinHelp file (Windows 95 help format, uncompressed) built from
// a help document.
#pragma once

#include <string_view>

#include "byte_writer.h"
#include "help_document.h"

namespace hlpgen {

// Throws SourceError when the document cannot be expressed in the format.
[[nodiscard]] Bytes BuildHelpFile(const HelpDocument& document);

struct CompileResult {
    bool ok = false;
    Bytes file;
    int errorLine = 0;      // source line of the fault, 0 when not tied to a line
    std::string error;
};

// Source text to help file bytes, with any fault reported by value.
[[nodiscard]] CompileResult CompileHelp(std::string_view utf8Source);

}  // namespace hlpgen
