// Contour labels clear of each other and of the frame (ANNOTATEC CLEAR):
// where along each line a label stands, turned along it, and the stretch of
// the line cut away under it.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "threed/horizon.h"

namespace vexal {

// A label's box: its centre, the unit vector along its text, and its half
// length and half height (page inches).
struct LabelBox {
  PagePoint centre;
  double ux = 1, uy = 0;
  double half_length = 0, half_height = 0;
};

// Whether two boxes overlap (they share more than an edge).
bool boxes_overlap(const LabelBox& a, const LabelBox& b);
// Whether every corner of the box lies within the convex polygon (its
// corners in order, either way round).
bool box_inside(const LabelBox& box, std::span<const PagePoint> polygon);

// What labels of one size need: their text's length and height, the
// spacing along a line, and the frame (a convex polygon) they stay within.
struct LabelLayout {
  double length = 0, height = 0;  // the text, page inches
  double spacing = 1.5;           // at most one label per this length of line
  std::array<PagePoint, 4> frame;
};

// A label placed on a line: its box, the text's angle (degrees, never
// upside down: -90 < angle <= 90) and the stretch of the line, as lengths
// along it, left undrawn under it.
struct PlacedLabel {
  LabelBox box;
  double angle = 0;
  double cut_from = 0, cut_to = 0;
};

// Places labels along the polyline: tried in order along it, a spacing
// apart, each where its box stays within the frame and clear of every box
// in `taken` (to which it is then added); a closed line shorter than three
// label lengths gets none.
std::vector<PlacedLabel> place_labels(std::span<const PagePoint> line, const LabelLayout& layout,
                                      std::vector<LabelBox>& taken);

// The pieces of the polyline left when the stretches [from, to] (lengths
// along it, in increasing order, not overlapping) are cut away.
std::vector<std::vector<PagePoint>> cut_line(std::span<const PagePoint> line,
                                             std::span<const PlacedLabel> labels);

}  // namespace vexal
