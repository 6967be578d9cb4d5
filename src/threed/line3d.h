// 3-D data curves: the points of the store drawn through the view.
#pragma once

#include "postscript/chars.h"
#include "postscript/curves.h"
#include "postscript/ps_writer.h"
#include "threed/horizon.h"
#include "threed/view.h"

namespace vexal {

// Draws the points as a 3-D curve (`line3d`) in the view, whose frame
// corners the caller has set: a point with a colour index >= 0 selects that
// table colour; the first point, every point with pen below 1 and, without
// `style.con`, every point is a move; the others draw with their pen as
// width: plainly with the view's no-hidden-line flag, else against the
// horizon (on a sphere, steps on the far side are moved over). Markers go on
// points 1, 1 + ssk, ... that lie within [0, axis length] on each axis whose
// `style.chop` flag is on. With a `style.progress` terminal the count goes
// there every 250 points and at the end. Returns false (nothing drawn) when
// no geometry is set up.
bool line3d(View& v, Horizon& h, PsWriter& w, TextState& t, const TextContext& c,
            const CurvePoints& pts, const CurveStyle& style);

}  // namespace vexal
