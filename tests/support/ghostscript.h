// Test helpers that hand a PostScript document to Ghostscript: every document
// a test produces must be accepted without a PostScript error.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vexal {

// Runs the document through Ghostscript (null device). Returns "" when gs
// exited with status 0 and printed nothing that looks like an error; otherwise
// gs's output, or a message when gs cannot be run.
std::string ghostscript_errors(const std::string& document);

// A document to check in a batch, with the name its failure is reported under.
struct NamedDocument {
  std::string name;
  std::string text;
};

// Runs all the documents through one Ghostscript process, each in a save
// context of its own so that one document's definitions or error do not reach
// the next. Returns one entry per document, in order: "" when it was accepted,
// otherwise its name and gs's output for it. When the batch stops early, the
// document gs was reading and every one after it report that.
std::vector<std::string> ghostscript_errors(std::span<const NamedDocument> documents);

// Queues the document for Ghostscript, to be read with every other document
// queued by this test process in one Ghostscript run when the tests are done.
// A document gs rejects then fails the run, named after the test that queued it.
void check_document_later(const std::string& document);

// Renders the document at 50 dpi into a 24-bit PNG file (a "%d" in the path
// gives one file per page); true when gs succeeded and the file exists.
bool ghostscript_render_png(const std::string& document, const std::string& png_path);

// Renders the documents with one Ghostscript run at `dpi` into 8-bit grey
// maps (raw PGM, header included): one entry per document, holding its pages
// in order. Empty when gs failed or a document's pages cannot be told apart.
std::vector<std::vector<std::string>> ghostscript_render_pgm(std::span<const std::string> documents,
                                                             int dpi);
// A page as Ghostscript renders it: 24-bit pixels, the top row first.
struct Raster {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes a pixel
  // The pixel at column x and row y counted from the bottom, as the page
  // counts; 0x1000000 outside the raster.
  uint32_t at(int x, int y) const;
};

// Renders every page of the documents, in order, by one Ghostscript run at
// `dpi`, each into a raster of width x height pixels from the page's lower
// left corner (the whole page when width is 0). Empty when Ghostscript fails.
std::vector<Raster> ghostscript_render_pages(std::span<const std::string> documents, int dpi,
                                             int width = 0, int height = 0);

}  // namespace vexal
