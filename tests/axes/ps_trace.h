// Reads a drawing back from document lines, for the axis tests: the
// segments the pen drew and the characters shown, in device units.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace vexal {

struct Segment {
  int x0, y0, x1, y1;
};

struct Glyph {
  char c;
  int x, y;  // the move before the show
  int size;  // the font size in force, device units
};

struct Trace {
  std::vector<Segment> segments;
  std::vector<Glyph> glyphs;

  // The characters shown, in order.
  std::string text() const {
    std::string t;
    for (const Glyph& g : glyphs) t += g.c;
    return t;
  }
  // The x of each vertical segment from (x, y) to (x, y + length), in order.
  std::vector<int> ticks_up(int y, int length) const {
    std::vector<int> xs;
    for (const Segment& s : segments)
      if (s.x0 == s.x1 && s.y0 == y && s.y1 == y + length) xs.push_back(s.x0);
    return xs;
  }
  // The same for segments from (x, y + length) to (x, y): ticks or grid
  // lines drawn down to the axis, or from it with a negative length.
  std::vector<int> ticks_to(int y, int from) const {
    std::vector<int> xs;
    for (const Segment& s : segments)
      if (s.x0 == s.x1 && s.y0 == from && s.y1 == y) xs.push_back(s.x0);
    return xs;
  }
};

// Follows "x y M" and "x y L" lines, " (c) T" shows and "n BF SF" font sizes,
// from the pen position (x, y): the origin one inch in, where every axis
// routine leaves the pen (a move to where the pen stands writes nothing).
inline Trace trace(const std::vector<std::string>& lines, int x = 300, int y = 300) {
  Trace t;
  int size = 0;
  for (const std::string& l : lines) {
    int a, b;
    char op, extra;
    if (std::sscanf(l.c_str(), "%d %d %c%c", &a, &b, &op, &extra) == 3 &&
        (op == 'M' || op == 'L')) {
      if (op == 'L') t.segments.push_back({x, y, a, b});
      x = a;
      y = b;
    } else if (l.size() >= 6 && l.compare(0, 2, " (") == 0 &&
               l.compare(l.size() - 3, 3, ") T") == 0) {
      t.glyphs.push_back({l[2] == '\\' ? l[3] : l[2], x, y, size});
    } else if (l.size() > 6 && l.compare(l.size() - 6, 6, " BF SF") == 0) {
      size = std::atoi(l.c_str());
    }
  }
  return t;
}

}  // namespace vexal
