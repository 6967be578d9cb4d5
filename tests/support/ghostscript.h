// Test helpers that hand a PostScript document to Ghostscript: every document
// a test produces must be accepted without a PostScript error.
#pragma once

#include <string>

namespace vexal {

// Runs the document through Ghostscript (null device). Returns "" when gs
// exited with status 0 and printed nothing that looks like an error; otherwise
// gs's output, or a message when gs cannot be run.
std::string ghostscript_errors(const std::string& document);

// Renders the document at 50 dpi into a 24-bit PNG file (a "%d" in the path
// gives one file per page); true when gs succeeded and the file exists.
bool ghostscript_render_png(const std::string& document, const std::string& png_path);

}  // namespace vexal
