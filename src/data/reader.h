// The data-file reader's working state for one read, shared by its parts:
// the record store and messages (append.cc), text lines (text_reader.cc) and
// binary records and frames (binary_reader.cc). Only these files include it.
#pragma once

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>

#include "data/append.h"
#include "data/binary_records.h"
#include "data/data_file.h"
#include "data/record.h"

namespace vexal {

// One read of the data file into the store.
class Reader {
 public:
  Reader(const AppendInput& in, const ReaderSettings& rs, const MathList& math, MathEnv& env,
         TmFrame& frame, PointStore& store)
      : in_(in), rs_(rs), math_(math), env_(env), frame_(frame), st_(store), pt_(env.point) {
    np_ = std::clamp(rs.np, 0, kMaxPoints);
    show_progress_ = in.verbose && !rs.display_data;
    plotevery_ = std::max(rs.plotevery, 1);
    ebskip_ = std::max(rs.ebskip, 1);
  }

  AppendResult run();

 private:
  enum class Outcome { kStored, kRejected, kStop };

  // The three kinds of file, read from where `f` stands after the first line.
  void read_text(DataFile& f, std::string_view first);
  bool read_fast_line(std::string_view line);  // READFAST: false for a line that fails
  void read_binary(DataFile& f, bool doubles);
  void read_frames(DataFile& f);

  // Binary records that need no per-point work, stored a block at a time
  // (binary_reader.cc): exactly what store_record would store.
  bool plain_binary(int ncols) const;
  size_t store_plain_records(const char* recs, size_t count, size_t reclen, bool doubles);
  PlainRun plain_run(const char* recs, size_t reclen, bool doubles) const;
  void take_plain(size_t k, const PlainRun& run, const double* last_fields);

  // The current record stored as a point, or rejected (append.cc).
  Outcome store_record();
  template <class SkipOne>
  bool store_and_thin(SkipOne skip_one);
  Outcome reject();
  template <class NextRecord>
  void warn_unread(NextRecord next);
  void count_skipped();
  // The warning, once for the read, that a column the settings use (the
  // highest) lies beyond the `columns` the file holds, so reads as 0.
  void warn_columns_beyond(int columns);
  void progress(char end, int npts = -1);
  // Creates the error-bar file when error-bar columns are set; false after
  // its message when it cannot be (nothing is read then).
  bool open_errorbars();
  void write_errorbar(double x, double y, double xl, double xh, double yl, double yh);
  // After an allocation failed: the message, the store cut back to whole
  // points and the read's sums to match.
  void out_of_memory();
  double field(int col) const { return record_field(pt_, col); }

  const AppendInput& in_;
  const ReaderSettings& rs_;
  const MathList& math_;
  MathEnv& env_;
  TmFrame& frame_;
  PointStore& st_;
  CurrentPoint& pt_;
  AppendResult result_;
  CompiledMath scratch_;  // reused by expression fields
  int np_;
  int plotevery_, ebskip_;
  bool show_progress_;
  bool pending_break_ = false;  // a rejected record: the next point starts a new line
  bool any_line_ = false;       // a text data line was read
  int most_fields_ = 0;         // the most fields a text line held (up to those read)
  double prevx_ = 0, prevy_ = 0;
  std::FILE* eb_file_ = nullptr;
  CreatedFiles own_created_;  // when the caller keeps no record of its scratch files
  std::unique_ptr<OutBuffer> eb_out_;
};

// After a read that reached MAXP: one warning when the file goes on past
// the records PLOTEVERY would step over. `next` reads one record; false at
// the end of the file.
template <class NextRecord>
inline void Reader::warn_unread(NextRecord next) {
  if (st_.npts() < rs_.maxpts) return;
  for (int i = 0; i < plotevery_; ++i)
    if (!next()) return;
  char buf[128];
  int n = std::snprintf(buf, sizeof buf,
                        "Warning--reading stopped at MAXP = %d points; data remain unread "
                        "(raise it with MAXP n).",
                        rs_.maxpts);
  env_.err.line(std::string_view(buf, static_cast<size_t>(n)));
}

// Stores the current record; after a stored one, steps over the next
// plotevery - 1 records with `skip_one` (false at the end of the file),
// counting them as skipped. False when reading stops.
template <class SkipOne>
inline bool Reader::store_and_thin(SkipOne skip_one) {
  const Outcome o = store_record();
  if (o == Outcome::kStop) return false;
  if (o == Outcome::kStored)
    for (int i = 1; i < plotevery_; ++i) {
      if (!skip_one()) break;
      count_skipped();
    }
  return true;
}

}  // namespace vexal
