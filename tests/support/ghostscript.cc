// Runs Ghostscript on documents written by tests.
#include "support/ghostscript.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string_view>
#include <vector>

namespace vexal {
namespace {

// The text single-quoted for the shell.
std::string shell_quote(std::string_view s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  q += '\'';
  return q;
}

// Writes the document to a new temporary file; "" when that fails.
std::string write_temporary(const std::string& document) {
  const char* dir = std::getenv("TMPDIR");
  std::string path = std::string(dir && *dir ? dir : "/tmp") + "/vexal_gs_XXXXXX.ps";
  int fd = mkstemps(path.data(), 3);
  if (fd < 0) return "";
  size_t done = 0;
  while (done < document.size()) {
    ssize_t n = write(fd, document.data() + done, document.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  if (done != document.size()) {
    std::remove(path.c_str());
    return "";
  }
  return path;
}

struct GsResult {
  int status = -1;  // exit status, -1 when gs could not be run
  std::string output;
};

GsResult run_gs(const std::string& args) {
  GsResult result;
  std::string command = "gs -q -dSAFER -dBATCH -dNOPAUSE " + args + " 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.output.append(chunk, n);
  int status = pclose(pipe);
  if (status != -1 && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

// True when gs's output for a document reports an error.
bool reports_error(std::string_view output) {
  return output.find("Error:") != std::string_view::npos ||
         output.find("error") != std::string_view::npos;
}

// The batch driver: each document runs from the driver file itself through a
// filter that ends at kEndOfDocument, inside save/restore and "stopped"; an
// error is printed after the document's marker and the rest of the document
// is skipped. Operands and dictionaries it leaves behind are dropped.
constexpr std::string_view kEndOfDocument = "%%VEXAL-END-OF-DOCUMENT-5f2c";
constexpr std::string_view kDocumentMarker = "%%VEXAL-DOCUMENT ";
constexpr std::string_view kBatchDone = "%%VEXAL-BATCH-DONE";
std::string batch_driver() {
  return R"(%!PS
/VexalRun {
  (\n)" + std::string(kDocumentMarker) +
         R"() print =string cvs print (\n) print flush
  /VexalFile currentfile << /EODCount 0 /EODString ()" +
         std::string(kEndOfDocument) + R"() >> /SubFileDecode filter def
  /VexalDicts countdictstack def
  /VexalSave save def
  VexalFile cvx stopped {
    (\nError: ) print $error /errorname get 64 string cvs print ( in ) print $error /command get ==
  } if
  clear
  countdictstack VexalDicts sub { end } repeat
  VexalFile flushfile
  VexalSave restore
  $error /newerror false put
} bind def
)";
}

}  // namespace

std::vector<std::string> ghostscript_errors(std::span<const NamedDocument> documents) {
  std::string batch = batch_driver();
  for (size_t i = 0; i < documents.size(); ++i) {
    batch += std::to_string(i) + " VexalRun\n";
    batch += documents[i].text;
    batch += '\n';
    batch += kEndOfDocument;
    batch += '\n';
  }
  batch += "(\n";
  batch += kBatchDone;
  batch += "\n) print\n";
  std::vector<std::string> errors(documents.size());
  std::string path = write_temporary(batch);
  if (path.empty()) {
    errors.assign(documents.size(), "could not write a temporary file for Ghostscript");
    return errors;
  }
  GsResult r = run_gs("-sDEVICE=nullpage " + shell_quote(path));
  std::remove(path.c_str());
  // The output after each document's marker belongs to that document.
  std::string_view out = r.output;
  size_t reached = 0;  // documents whose marker gs printed
  for (size_t at = out.find(kDocumentMarker); at != std::string_view::npos;) {
    size_t start = at + kDocumentMarker.size();
    size_t index = std::strtoul(std::string(out.substr(start, 20)).c_str(), nullptr, 10);
    size_t next = out.find(kDocumentMarker, start);
    size_t end = std::min({next, out.find(kBatchDone, start), out.size()});
    std::string_view own = out.substr(start, end - start);
    own.remove_prefix(std::min(own.find('\n') + 1, own.size()));  // past the index
    if (index < documents.size()) {
      reached = std::max(reached, index + 1);
      if (reports_error(own)) errors[index] = documents[index].name + ": " + std::string(own);
    }
    at = next;
  }
  // A batch cut short is blamed on the document gs was reading and those after.
  const bool done = out.find(kBatchDone) != std::string_view::npos && r.status == 0;
  for (size_t i = done ? reached : std::max<size_t>(reached, 1) - 1; i < documents.size(); ++i)
    if (errors[i].empty())
      errors[i] = documents[i].name + ": Ghostscript did not finish the batch (status " +
                  std::to_string(r.status) + ")\n" + r.output.substr(0, 2000);
  return errors;
}

std::string ghostscript_errors(const std::string& document) {
  std::string path = write_temporary(document);
  if (path.empty()) return "could not write a temporary file for Ghostscript";
  GsResult r = run_gs("-sDEVICE=nullpage " + shell_quote(path));
  std::remove(path.c_str());
  if (r.status == 127) return "Ghostscript (gs) is not installed or not on PATH\n" + r.output;
  if (r.status != 0) return "gs exited with status " + std::to_string(r.status) + "\n" + r.output;
  if (reports_error(r.output)) return r.output;
  return "";
}

namespace {

// The documents queued by check_document_later, read by one Ghostscript run
// after the last test: starting Ghostscript once per document took most of
// the unit tests' time.
class DeferredDocuments : public ::testing::Environment {
 public:
  static DeferredDocuments& get() {
    static DeferredDocuments* const documents = [] {
      auto* d = new DeferredDocuments;
      ::testing::AddGlobalTestEnvironment(d);  // owned by the test framework
      return d;
    }();
    return *documents;
  }
  void add(const std::string& document) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "?";
    queued_.push_back({name + " (document " + std::to_string(++count_[name]) + ")", document});
  }
  void TearDown() override {
    if (queued_.empty()) return;
    for (const std::string& error : ghostscript_errors(queued_))
      if (!error.empty()) ADD_FAILURE() << "Ghostscript rejects a document of " << error;
    queued_.clear();
  }

 private:
  std::vector<NamedDocument> queued_;
  std::map<std::string, int> count_;
};

// Registered before the tests run, so that the framework calls TearDown.
[[maybe_unused]] DeferredDocuments& registered = DeferredDocuments::get();

}  // namespace

void check_document_later(const std::string& document) { DeferredDocuments::get().add(document); }

bool ghostscript_render_png(const std::string& document, const std::string& png_path) {
  std::string path = write_temporary(document);
  if (path.empty()) return false;
  std::remove(png_path.c_str());
  GsResult r = run_gs("-sDEVICE=png16m -r50 -sOutputFile=" + shell_quote(png_path) + " " +
                      shell_quote(path));
  std::remove(path.c_str());
  if (r.status != 0) return false;
  std::string first = png_path;
  if (size_t pos = first.find("%d"); pos != std::string::npos) first.replace(pos, 2, "1");
  struct stat st;
  return stat(first.c_str(), &st) == 0 && st.st_size > 0;
}

std::vector<std::vector<std::string>> ghostscript_render_pgm(std::span<const std::string> documents,
                                                             int dpi) {
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexal_pgm_XXXXXX";
  if (!mkdtemp(dir.data())) return {};
  std::vector<std::string> inputs;
  std::string args =
      "-sDEVICE=pgmraw -r" + std::to_string(dpi) + " -sOutputFile=" + shell_quote(dir + "/%d.pgm");
  for (const std::string& document : documents) {
    inputs.push_back(write_temporary(document));
    args += " " + shell_quote(inputs.back());
  }
  const GsResult r = run_gs(args);
  // Every page in order, shared out by the "%%Page:" lines each document has.
  std::vector<std::vector<std::string>> pages(documents.size());
  int page = 0;
  bool complete = r.status == 0;
  for (size_t i = 0; i < documents.size(); ++i) {
    for (size_t at = documents[i].find("\n%%Page:"); at != std::string::npos;
         at = documents[i].find("\n%%Page:", at + 1)) {
      const std::string name = dir + "/" + std::to_string(++page) + ".pgm";
      std::FILE* f = std::fopen(name.c_str(), "rb");
      if (!f) {
        complete = false;
        continue;
      }
      std::string text;
      char chunk[65536];
      for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
      std::fclose(f);
      pages[i].push_back(std::move(text));
    }
  }
  for (const std::string& input : inputs) std::remove(input.c_str());
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  if (!complete) pages.clear();
  return pages;
}

namespace {

// The next field of a PPM header from `at`, past blanks and comments.
std::string_view ppm_field(std::string_view text, size_t& at) {
  while (at < text.size() &&
         (std::isspace(static_cast<unsigned char>(text[at])) || text[at] == '#'))
    at = text[at] == '#' ? std::min(text.find('\n', at), text.size()) : at + 1;
  const size_t start = at;
  while (at < text.size() && !std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  return text.substr(start, at - start);
}

int ppm_number(std::string_view field) {
  int v = -1;
  std::from_chars(field.data(), field.data() + field.size(), v);
  return v;
}

// Reads a binary PPM file of 8-bit samples; false when it is not one.
bool read_ppm(const std::string& path, Raster& r) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string text;
  char chunk[1 << 16];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
  std::fclose(f);
  size_t at = 0;
  if (ppm_field(text, at) != "P6") return false;
  r.width = ppm_number(ppm_field(text, at));
  r.height = ppm_number(ppm_field(text, at));
  const int maximum = ppm_number(ppm_field(text, at));
  ++at;  // the one blank before the pixels
  if (maximum != 255 || r.width < 1 || r.height < 1 || at > text.size() ||
      text.size() - at != 3 * static_cast<size_t>(r.width) * static_cast<size_t>(r.height))
    return false;
  r.rgb.assign(text.begin() + static_cast<std::ptrdiff_t>(at), text.end());
  return true;
}

}  // namespace

uint32_t Raster::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0x1000000;
  const size_t i = 3 * (static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) +
                        static_cast<size_t>(x));
  return uint32_t{rgb[i]} << 16 | uint32_t{rgb[i + 1]} << 8 | rgb[i + 2];
}

std::vector<Raster> ghostscript_render_pages(std::span<const std::string> documents, int dpi,
                                             int width, int height) {
  std::vector<std::string> paths;
  std::string args = "-sDEVICE=ppmraw -r" + std::to_string(dpi);
  if (width > 0) args += " -g" + std::to_string(width) + "x" + std::to_string(height);
  const char* tmp = std::getenv("TMPDIR");
  std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/vexal_pages_XXXXXX";
  std::vector<Raster> pages;
  if (!mkdtemp(dir.data())) return pages;
  args += " -sOutputFile=" + shell_quote(dir + "/%d.ppm");
  bool written = true;
  for (const std::string& document : documents) {
    paths.push_back(write_temporary(document));
    written = written && !paths.back().empty();
    args += " " + shell_quote(paths.back());
  }
  const bool rendered = written && run_gs(args).status == 0;
  for (int page = 1;; ++page) {
    const std::string path = dir + "/" + std::to_string(page) + ".ppm";
    Raster r;
    if (!read_ppm(path, r)) break;
    std::remove(path.c_str());
    pages.push_back(std::move(r));
  }
  for (const std::string& path : paths)
    if (!path.empty()) std::remove(path.c_str());
  ::rmdir(dir.c_str());
  if (!rendered) pages.clear();
  return pages;
}

}  // namespace vexal
