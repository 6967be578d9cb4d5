// The long options (--help, --version, --pdf, --png, --crop) and
// SOURCE_DATE_EPOCH, through the real program: what it prints, the files it
// leaves, and its exit status.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/ghostscript.h"
#include "support/process.h"
#include "support/scratch_dir.h"

namespace vexal {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTwoPages = "DRAW 1 1\nNEWPAGE\nDRAW 2 2\n";
constexpr const char* kPngMagic = "\x89PNG\r\n\x1a\n";

class OptionsTest : public ScratchDirTest {
 protected:
  // Runs the program with `args` in the scratch directory (also HOME), input
  // from /dev/null, with PATH and any further environment entries `env`.
  RunResult vexal(const std::vector<std::string>& args, std::vector<std::string> env = {},
                  const std::string& path = "/usr/bin:/bin") {
    std::vector<std::string> words = {VEXAL_BINARY};
    words.insert(words.end(), args.begin(), args.end());
    env.push_back("HOME=" + fs::current_path().string());
    env.push_back("PATH=" + path);
    return run_process(words, "/dev/null", std::move(env));
  }
};

TEST_F(OptionsTest, HelpAndVersionPrintAndExitWithoutADocument) {
  RunResult help = vexal({"--help", "DRAW 1 1"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* flag : {"-q ", "-s ", "-o file", "-p precision", "-l ", "-d ", "-D ", "-t ",
                           "-S ", "-E ", "-V yyyy.mm.dd", "--pdf", "--png[=dpi]", "--crop"})
    EXPECT_NE(help.out.find(flag), std::string::npos) << flag;
  RunResult version = vexal({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "Vexal version 2020.06.28\n");
  EXPECT_FALSE(fs::exists("vexal.ps"));
}

TEST_F(OptionsTest, OtherDashArgumentsKeepTheLetterRule) {
  // "--helpx" is the letters l (landscape) and p, whose precision is the next argument.
  RunResult r = vexal({"-d", "--helpx", "600", "-q", "-o", "out.ps", "DRAW 1 1"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "");  // -q
  const std::string doc = slurp("out.ps");
  EXPECT_NE(doc.find("%%Orientation:  Landscape\n"), std::string::npos);
  EXPECT_NE(doc.find(" 0.12000000000000000 0.12000000000000000 scale\n"),
            std::string::npos);  // 72 / 600
  check_document_later(doc);
}

TEST_F(OptionsTest, PdfAndPngPagesAreWrittenBesideTheDocument) {
  write("two.vx", kTwoPages);
  RunResult r = vexal({"-q", "--pdf", "--png=72", "-o", "plot.ps", "two.vx"});
  EXPECT_EQ(r.status, 0) << r.err;
  check_document_later(slurp("plot.ps"));
  const std::string pdf = slurp("plot.pdf");
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
  EXPECT_EQ(ghostscript_errors(pdf), "");
  for (const char* png : {"plot-1.png", "plot-2.png"})
    EXPECT_EQ(slurp(png).substr(0, 8), kPngMagic) << png;
  EXPECT_FALSE(fs::exists("plot-3.png"));
  EXPECT_FALSE(fs::exists("plot.png"));
}

// The width and height a PNG file's header gives ({0, 0} when it is no PNG).
std::array<long long, 2> png_size(const std::string& png) {
  if (png.size() < 24 || png.substr(0, 8) != kPngMagic) return {0, 0};
  auto be32 = [&](size_t at) {
    return (uint8_t(png[at]) << 24) | (uint8_t(png[at + 1]) << 16) | (uint8_t(png[at + 2]) << 8) |
           uint8_t(png[at + 3]);
  };
  return {be32(16), be32(20)};
}

TEST_F(OptionsTest, CropMakesThePageTheDrawnArea) {
  RunResult r = vexal({"-q", "--crop", "--png=144", "-o", "box.ps", "DRAW 1 1", "DRAW 2 3"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string doc = slurp("box.ps");
  check_document_later(doc);
  long long left = 0, bottom = 0, right = 0, top = 0;
  ASSERT_EQ(std::sscanf(doc.c_str() + doc.find('\n') + 1, "%%%%BoundingBox: %lld %lld %lld %lld",
                        &left, &bottom, &right, &top),
            4);
  // Width and height at 144 dots per inch.
  EXPECT_EQ(png_size(slurp("box.png")), (std::array{2 * (right - left), 2 * (top - bottom)}));
  EXPECT_LT(right - left, 612 / 2);
}

TEST_F(OptionsTest, CropNeverGoesBeyondTheLetterPage) {
  struct Case {
    std::vector<std::string> args;
    std::array<long long, 4> page;  // in points
  };
  const Case kCases[] = {
      {{"DRAW 20 20"}, {67, 67, 612, 792}},              // off the top right
      {{"DRAW -100000 -100000"}, {0, 0, 77, 77}},        // far off the bottom left
      {{"MOVE 20 20", "DRAW 30 30"}, {0, 0, 612, 792}},  // nothing on the page: all of it
      {{"-l", "DRAW 20 20"}, {0, 72, 539, 792}},         // a landscape page stays upright
  };
  for (const Case& c : kCases) {
    const std::string what = c.args.back();
    // -t: no page stamp, whose text would widen the box.
    std::vector<std::string> args = {"-q", "-t", "--crop", "--pdf", "--png=72", "-o", "crop.ps"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult r = vexal(args);
    EXPECT_EQ(r.status, 0) << what << ": " << r.err;
    check_document_later(slurp("crop.ps"));
    const long long width = c.page[2] - c.page[0], height = c.page[3] - c.page[1];
    EXPECT_EQ(png_size(slurp("crop.png")), (std::array{width, height})) << what;
    const std::string media =
        "/MediaBox [0 0 " + std::to_string(width) + " " + std::to_string(height) + "]";
    EXPECT_NE(slurp("crop.pdf").find(media), std::string::npos) << what;
  }
}

TEST_F(OptionsTest, AFailedConversionLeavesNoneOfItsFiles) {
  write("two.vx", kTwoPages);
  struct Case {
    const char* folder;
    std::vector<std::string> args;
    std::vector<std::string> left;  // the folder's files afterwards, sorted
    const char* message;            // the end of standard error
  };
  const Case kCases[] = {
      // Ghostscript stops at once, with a PDF begun.
      {"pdf",
       {"--pdf", "-o", "pdf/|touch x", "DRAW 1 1"},
       {"|touch x"},
       "Cannot convert the document to PDF: Ghostscript failed with exit status 1.\n"},
      // The second page has a folder in its place; the first page's file of
      // before is kept as it was.
      {"png",
       {"--png=10", "-o", "png/plot.ps", "two.vx"},
       {"plot-1.png", "plot-2.png", "plot.ps"},
       "Cannot convert the document to PNG: the converted file could not be named "
       "png/plot-2.png: Is a directory.\n"},
  };
  fs::create_directory("pdf");
  fs::create_directories("png/plot-2.png");
  write("png/plot-1.png", "old");
  for (const Case& c : kCases) {
    RunResult r = vexal(c.args);
    EXPECT_EQ(r.status, 1) << c.folder;
    EXPECT_TRUE(r.err.ends_with(c.message)) << r.err;
    check_document_later(slurp(c.args[2]));
    std::vector<std::string> left;
    for (const fs::directory_entry& e : fs::directory_iterator(c.folder))
      left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, c.left) << c.folder;
  }
  EXPECT_TRUE(slurp("png/plot-1.png") == "old");
}

TEST_F(OptionsTest, StandardOutputKeepsTheDocumentAndThePdfGoesToVexalPdf) {
  RunResult r = vexal({"-s", "--pdf", "DRAW 1 1"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.starts_with("%!PS-Adobe-2.0"));
  EXPECT_TRUE(r.out.ends_with("%%EOF\n"));
  check_document_later(r.out);
  EXPECT_EQ(slurp("vexal.pdf").substr(0, 5), "%PDF-");
  EXPECT_FALSE(fs::exists("vexal.ps"));
}

TEST_F(OptionsTest, AMissingGhostscriptFailsTheRunAndKeepsTheDocument) {
  fs::create_directory("empty");
  RunResult r = vexal({"-q", "--pdf", "-o", "kept.ps", "DRAW 1 1"}, {},
                      (fs::current_path() / "empty").string());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Cannot convert the document to PDF: Ghostscript (gs) could not be run: No such file "
            "or directory.\n");
  const std::string doc = slurp("kept.ps");
  EXPECT_TRUE(doc.ends_with("%%EOF\n"));
  check_document_later(doc);
  EXPECT_FALSE(fs::exists("kept.pdf"));
}

TEST_F(OptionsTest, BadPngResolutionsAreRefused) {
  for (const char* arg : {"--png=0", "--png=2401", "--png=", "--png=72dpi"}) {
    RunResult r = vexal({arg, "DRAW 1 1"});
    EXPECT_EQ(r.status, 1) << arg;
    EXPECT_EQ(r.err, std::string("Bad PNG resolution in ") + arg +
                         ": give 1 to 2400 dots per inch; nothing is run or written.\n");
  }
  EXPECT_FALSE(fs::exists("vexal.ps"));
}

// A command file that only reads its own folder and draws (curves, axes,
// text, arrays, images, contours, surfaces) draws the very same document
// under --sandbox; one reaching out is told, and the run fails.
TEST_F(OptionsTest, SandboxDrawsOrdinaryFilesUnchanged) {
  const std::string examples = std::string(VEXAL_SOURCE_DIR) + "/examples";
  for (const char* name : {"contour.vx", "image.vx", "rings.pgm", "text.vx", "multiplot.vx",
                           "multiplot.dat", "surface.vx"})
    fs::copy_file(examples + "/" + name, name);
  const std::vector<std::string> env = {"SOURCE_DATE_EPOCH=1700000000"};
  for (const char* name : {"contour.vx", "image.vx", "text.vx", "multiplot.vx", "surface.vx"}) {
    RunResult plain = vexal({"-d", "-q", "-o", "out.ps", name}, env);
    ASSERT_EQ(plain.status, 0) << name << plain.err;
    const std::string doc = slurp("out.ps");
    RunResult boxed = vexal({"-q", "--sandbox", "-o", "out.ps", name}, env);
    EXPECT_EQ(boxed.status, 0) << name << boxed.err;
    EXPECT_EQ(boxed.err, plain.err) << name;
    EXPECT_TRUE(doc == slurp("out.ps")) << name;
    check_document_later(doc);
  }
  write("nosy.vx", "DUMPVAR vars.txt\nCOM /etc/hostname\nSYSTEM touch made\nQUIT\n");
  RunResult nosy = vexal({"-q", "--sandbox", "nosy.vx"});
  EXPECT_EQ(nosy.status, 1);
  EXPECT_EQ(nosy.err,
            "Only the document is written (--sandbox); not written: vars.txt\n"
            "Files outside the current folder are not read (--sandbox); not read: /etc/hostname\n"
            "Shell commands are off (-S); not run: SYSTEM touch made\n");
  EXPECT_FALSE(fs::exists("vars.txt") || fs::exists("made"));
  EXPECT_NE(vexal({"--help"}).out.find("  --sandbox"), std::string::npos);
}

TEST_F(OptionsTest, SourceDateEpochMakesRunsByteIdentical) {
  const std::string examples = std::string(VEXAL_SOURCE_DIR) + "/examples";
  for (const char* name : {"first.vx"}) fs::copy_file(examples + "/" + name, name);
  const std::vector<std::string> env = {"SOURCE_DATE_EPOCH=1700000000"};
  RunResult first = vexal({"-q", "-o", "out.ps", "first.vx"}, env);
  ASSERT_EQ(first.status, 0) << first.err;
  const std::string doc = slurp("out.ps");
  check_document_later(doc);
  sleep(1);
  RunResult second = vexal({"-q", "-o", "out.ps", "first.vx"}, env);
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_TRUE(doc == slurp("out.ps"));

  // The expressions' TIME word reads the same fixed clock.
  RunResult dated =
      vexal({"-d", "-o", "out.ps", "ECHO [\\%date] [\\%time] [\\#(i10)\\{TIME}]", "QUIT"}, env);
  EXPECT_NE(dated.out.find("[14-Nov-2023] [22:13:20] [1700000000]\n"), std::string::npos)
      << dated.out;
  RunResult bad = vexal({"-q", "-o", "out.ps", "QUIT"}, {"SOURCE_DATE_EPOCH=soon"});
  EXPECT_EQ(bad.status, 0);
  EXPECT_EQ(bad.err,
            "SOURCE_DATE_EPOCH is not a non-negative whole number of seconds; it is ignored.\n");
  RunResult empty = vexal({"-q", "-o", "out.ps", "QUIT"}, {"SOURCE_DATE_EPOCH="});
  EXPECT_EQ(empty.err, "");  // empty is unset
}

}  // namespace
}  // namespace vexal
