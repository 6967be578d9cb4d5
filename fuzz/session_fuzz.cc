// Fuzz target: arbitrary command lines through a whole session, as a user
// or a script would type them, in a scratch directory emptied before each
// input. The session runs under --sandbox (no shell, no file written or
// deleted but its own, none read outside the scratch directory) and with its
// loops and jumps bounded. Every run must end.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "interp/session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexal;
  namespace fs = std::filesystem;
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("vexal_session_fuzz_" + std::to_string(::getpid()));
    fs::create_directories(d);
    fs::current_path(d);
    return d;
  }();
  if (size > 4096) return 0;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    std::string name = entry.path().filename().string();
    if (name.rfind("timeout-", 0) != 0 && name.rfind("crash-", 0) != 0)
      fs::remove_all(entry.path(), ec);
  }

  std::string out, err, doc;
  std::string input(reinterpret_cast<const char*>(data), size);
  std::FILE* in = fmemopen(input.data(), input.size() ? input.size() : 1, "r");
  if (!in) return 0;
  if (input.empty()) std::fgetc(in);
  {
    SessionIo io;
    io.in = in;
    io.out_text = &out;
    io.err_text = &err;
    io.ps_text = &doc;
    Session s(io);
    s.run.bounded = true;
    s.start({"-d", "-q", "--sandbox"});
    s.stream.prompt = false;
    // The end of the input must end the run, whatever the input did to QUIT,
    // RETURN and the IF blocks: the turn that meets it shuts down.
    while (!s.run.quit) {
      s.turn(true);
      if (s.stream.generated_end && s.cs.line == "QUIT" && !s.run.quit) __builtin_trap();
    }
  }
  std::fclose(in);
  return 0;
}
