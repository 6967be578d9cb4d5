// Margin stamps: the small lines written at the lower left of a page before
// it ends (credits, directory, version, date and time, page number), and the
// file names stamped when command and data files are opened. Defined with
// the pen commands, since they read the whole session.
#pragma once

#include <string_view>

namespace vexal {

struct Session;

// With stamping on, writes the stamps of the page ending now, numbered with
// the pages-done count; with stamping off, nothing.
void write_page_stamps(Session& s);
// With stamping on, stamps "|H" and the file name; with stamping off, nothing.
void stamp_file_name(Session& s, std::string_view name);

}  // namespace vexal
