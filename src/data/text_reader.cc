// The reader's text lines: positioning (a "*" header, SEEK, SKIP) and each
// line's fields, parsed in full or, with READFAST, as plain numbers.
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "data/reader.h"
#include "util/text.h"

namespace vexal {

// Free-format numeric input of `maxcolumn` values from one line; false when a
// value is missing or is not a number.
bool Reader::read_fast_line(std::string_view line) {
  const int want =
      rs_.max_col_set ? std::clamp(rs_.maxcolumn, 1, kMaxDataColumns) : columns_needed(rs_);
  const char* p = line.data();
  const char* e = p + line.size();
  for (int k = 1; k <= want; ++k) {
    while (p < e && is_separator(*p)) ++p;
    if (p >= e) {  // the line holds k - 1 fields
      most_fields_ = std::max(most_fields_, k - 1);
      return false;
    }
    const char* b = p;
    while (p < e && !is_separator(*p)) ++p;
    if (!free_number(b, p, pt_.fields[k])) {
      most_fields_ = std::max(most_fields_, k);
      return false;
    }
  }
  most_fields_ = std::max(most_fields_, want);
  result_.fields_read = want;
  return true;
}

void Reader::read_text(DataFile& f, std::string_view first) {
  std::string_view line;
  if (!first.empty() && first[0] == '*')
    f.line(line);  // two header lines
  else
    f.seek(0);
  std::string_view seek = trimmed(rs_.seek);
  if (!seek.empty()) {
    bool found = false;
    while (!found && f.line(line)) found = line.find(seek) != std::string_view::npos;
    if (!found) return;
  }
  for (int i = 0; i < rs_.skip; ++i)
    if (!f.line(line)) return;
  if (!open_errorbars()) return;
  const int maxcolumn =
      rs_.max_col_set ? std::clamp(rs_.maxcolumn, 1, kMaxDataColumns) : columns_needed(rs_);
  while (f.line(line)) {
    any_line_ = true;
    if (rs_.read_fast) {
      if (!read_fast_line(line)) {
        pending_break_ = true;
        count_skipped();
        f.line(line);  // one further line is discarded
        continue;
      }
    } else {
      most_fields_ = std::max(most_fields_, parse_fields(line, maxcolumn, env_, scratch_));
      result_.fields_read = maxcolumn;
    }
    if (!store_and_thin([&] { return f.line(line); })) break;
  }
  if (show_progress_) progress('\n');
  if (any_line_) warn_columns_beyond(most_fields_);
  if (f.lines_cut() > 0) {
    char buf[160];
    const int cut = f.lines_cut();
    const int n = std::snprintf(buf, sizeof buf,
                                "Warning--%d data line%s longer than %zu characters: read only "
                                "that far.",
                                cut, cut == 1 ? "" : "s", DataFile::kMaxLineBytes);
    env_.err.line(std::string_view(buf, static_cast<size_t>(n)));
  }
  warn_unread([&] { return f.line(line); });
}

}  // namespace vexal
