// Fuzz target: the data-file reader on arbitrary file contents (text,
// "$P"/"$R" binary, TMDATA), with settings taken from the first bytes.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "data/append.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexal;
  if (size < 4) return 0;
  static const std::string path = "/tmp/vexal_append_fuzz_" + std::to_string(::getpid());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data + 4, 1, size - 4, f);
  std::fclose(f);

  ReaderSettings rs;
  rs.np = 5000;  // a small store limit, so the overflow path is reached too
  uint8_t a = data[0], b = data[1], c = data[2], d = data[3];
  rs.xc = a % 6;
  rs.yc = (a / 6) % 6;
  rs.zc = b % 4;
  rs.cc = (b >> 2) % 3;
  rs.sc = (b >> 4) % 3;
  rs.wc = (b >> 6) % 2;
  rs.read_fast = c & 1;
  rs.swap_binary = c & 2;
  rs.scalecc = c & 4;
  rs.max_col_set = c & 16;
  rs.maxcolumn = 1 + (d % 50);
  rs.plotevery = 1 + (d >> 6);
  rs.skip = (c >> 5) % 3;
  rs.yebch = (d >> 3) % 2 ? 2 : 0;
  rs.tmdata = (c & 0xE0) == 0xE0;
  rs.xdeltamax = (d & 4) ? 2.0 : 1e32;

  AppendInput in;
  in.file = path;
  in.run_id = "fuzz" + std::to_string(::getpid() % 10000);
  in.xlog = a & 128;
  in.negate.x = c & 8;
  in.zmin = 0;
  in.zmax = (b & 1) ? 10 : 0;
  in.verbose = false;

  Variables vars;
  std::string sink_text;
  OutBuffer sink(&sink_text);
  CurrentPoint point;
  MathStacks stacks;
  TmFrame frame;
  frame.rows = 1 + a % 9;
  frame.cols = 1 + b % 9;
  MathEnv env{vars, sink, sink, point, stacks};
  env.frame = &frame;
  MathList math;
  PointStore store;
  AppendResult r = append(in, rs, math, env, frame, store);
  if (!r.errorbar_file.empty()) std::remove(r.errorbar_file.c_str());
  return 0;
}
