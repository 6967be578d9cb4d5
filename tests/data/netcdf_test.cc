// The NETCDF commands on files the tests make with ncgen from CDL text, in
// the classic and the netCDF-4 format: the order of dimensions and the
// array layout, the listing, values into variables, columns and coordinate
// lists, the commands queued after a load, and bad input.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "util/array_grid.h"

namespace vexal {
namespace {

// The volume vol(z, y, x) of the C order holds 100 x + 10 y + z at the
// command language's (x, y, z), 4 x 3 x 2; field(y, x) holds 10 x + y.
std::string cdl(const char* name) {
  std::string vol, field;
  for (int z = 1; z <= 2; ++z)
    for (int y = 1; y <= 3; ++y)
      for (int x = 1; x <= 4; ++x) {
        vol += (vol.empty() ? "" : ", ") + std::to_string(100 * x + 10 * y + z);
        if (z == 1) field += (field.empty() ? "" : ", ") + std::to_string(10 * x + y);
      }
  return std::string("netcdf ") + name +
         " {\ndimensions:\n  x = 4 ; y = 3 ; z = 2 ; one = 1 ; len = 5 ; empty = 0 ;\n"
         "variables:\n  double vol(z, y, x) ;\n  int field(y, x) ;\n  float x(x) ;\n"
         "  float y(y) ;\n  short scale(one) ;\n  char title(len) ;\n  char code(x) ;\n"
         "  double none(empty) ;\n  :institution = \"Lab\" ;\n  :version = 3.5, 4. ;\n"
         "data:\n  vol = " +
         vol + " ;\n  field = " + field +
         " ;\n  x = 10, 20, 30, 40 ;\n  y = 5, 6, 7 ;\n  scale = 7 ;\n  title = \"hello\" ;\n"
         "  code = \"abcd\" ;\n}\n";
}

class NetcdfTest : public ScratchDirTest {
 protected:
  // Writes NAME.cdl and makes NAME.nc of the format (classic, nc4).
  void make(const std::string& name, const std::string& kind, const std::string& text) {
    write(name + ".cdl", text);
    const std::string command = "ncgen -k " + kind + " -o " + name + ".nc " + name + ".cdl";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }
  std::vector<double> column(const Column<double>& c) { return {c.begin(), c.end()}; }
  // The array's values as nx, ny and the values.
  std::vector<double> array() {
    std::vector<double> v{static_cast<double>(s->array.nx), static_cast<double>(s->array.ny)};
    v.insert(v.end(), s->array.values.begin(), s->array.values.end());
    return v;
  }
};

TEST_F(NetcdfTest, DimensionOrderAndLayoutInBothFormats) {
  for (const char* kind : {"classic", "nc4"}) {
    SCOPED_TRACE(kind);
    make(std::string("v") + kind, kind, cdl("v"));
    run(std::string("QUIET\nNETCDFFILE v") + kind + ".nc\n");
    run("NETCDFTOARRAY field\n");
    EXPECT_EQ(array(), (std::vector<double>{4, 3, 11, 21, 31, 41, 12, 22, 32, 42, 13, 23, 33, 43}));
    EXPECT_EQ(num("MX"), 4);
    EXPECT_EQ(num("MY"), 3);
    run("NETCDFVOLUMETOXCOL vol 2 1\n");
    EXPECT_EQ(column(s->store.x), (std::vector<double>{121, 221, 321, 421}));
    // npts follows the last read; the other columns keep their first values.
    run("NETCDFVOLUMETOYVEC vol 3 2\n");
    EXPECT_EQ(column(s->store.x), (std::vector<double>{121, 221, 321}));
    EXPECT_EQ(column(s->store.y), (std::vector<double>{312, 322, 332}));
    EXPECT_EQ(num("NPTS"), 3);
    run("NETCDFVOLUMETOZCOL vol 4 3\n");
    EXPECT_EQ(s->store.z.values(), (std::vector<double>{431, 432}));
    run("NETCDFVOLUMEXYTOARRAY vol 2\n");
    EXPECT_EQ(array(), (std::vector<double>{4, 3, 112, 212, 312, 412, 122, 222, 322, 422, 132, 232,
                                            332, 432}));
    run("NETCDFVOLUMEXZTOARRAY vol 3\n");
    EXPECT_EQ(array(), (std::vector<double>{4, 2, 131, 231, 331, 431, 132, 232, 332, 432}));
    run("NETCDFVOLUMEYZTOARRAY vol 2\n");
    EXPECT_EQ(array(), (std::vector<double>{3, 2, 211, 221, 231, 212, 222, 232}));
    run("NETCDFVOLUMEXYSUMTOARRAY vol\n");
    EXPECT_EQ(array(), (std::vector<double>{4, 3, 223, 423, 623, 823, 243, 443, 643, 843, 263, 463,
                                            663, 863}));
    run("NETCDFVOLUMEYZSUMTOARRAY vol\n");
    EXPECT_EQ(array(), (std::vector<double>{3, 2, 1044, 1084, 1124, 1048, 1088, 1128}));
    run("NETCDFVOLUMEYZMAXTOARRAY vol\n");
    EXPECT_EQ(array(), (std::vector<double>{3, 2, 411, 421, 431, 412, 422, 432}));
    EXPECT_EQ(take_err(), "");
  }
  finish();
}

TEST_F(NetcdfTest, ListingValuesAndCoordinates) {
  make("v", "classic", cdl("v"));
  run("NETCDFFILE v.nc\n");
  const std::string listing = take_out();
  for (const char* line :
       {"x is a dimension.           4\n",
        "\nvol is a volume.           4           3           2\n"
        "   x might work as the x-vector.\n   code might work as the x-vector.\n"
        "   y might work as the y-vector.\nfield is an array.           4           3\n",
        "\nscale is a numeric variable.\ntitle is a character variable.           5\n"})
    EXPECT_NE(listing.find(line), std::string::npos) << line << " not in\n" << listing;
  EXPECT_EQ(chr("DATAFILE"), "v.nc");
  run("QUIET\nNETCDFFILE v.nc\n");
  EXPECT_EQ(take_out(), "");

  run("NETCDFVAR scale\nNETCDFVAR title\nNETCDFATT institution\nNETCDFATT version\n"
      "NETCDFDIM y\n");
  EXPECT_EQ(num("SCALE"), 7);
  EXPECT_EQ(chr("TITLE"), "hello");
  EXPECT_EQ(chr("INSTITUTION"), "Lab");
  EXPECT_EQ(num("VERSION"), 3.5);
  EXPECT_EQ(num("Y"), 3);

  // Without coordinates the array gets 1 .. n; with them, their limits.
  run("NETCDFTOARRAY field\n");
  EXPECT_EQ(s->axes[AxisId::X].limits.max, 4);
  EXPECT_EQ(s->axes[AxisId::Y].limits.max, 3);
  run("NETCDFARRAYX x\nNETCDFARRAYY y\nNETCDFTOARRAY field\n");
  EXPECT_EQ(s->array.x, (std::vector<double>{10, 20, 30, 40}));
  EXPECT_EQ(s->array.dy, (std::vector<double>{1, 1, 1}));
  EXPECT_EQ(s->axes[AxisId::X].limits.min, 10);
  EXPECT_EQ(s->axes[AxisId::X].limits.max, 40);
  EXPECT_EQ(s->axes[AxisId::Y].limits.max, 7);

  // NETCDFTODATA writes the store to the run's data file and names it.
  run("NETCDFTOXCOL x\nNETCDFTOYCOL x\nNETCDFTODATA\n");
  EXPECT_EQ(chr("DATAFILE"), "data" + s->run.pid + ".tmp");
  run("LOAD\n");
  EXPECT_EQ(column(s->store.y), (std::vector<double>{10, 20, 30, 40}));
  EXPECT_EQ(take_err(), "");
  finish();
}

// netCDF-4 strings, the Z and V columns, the Z list and a wrapped X list.
TEST_F(NetcdfTest, StringsWrapsAndOtherColumns) {
  make("s", "nc4",
       "netcdf s {\ndimensions:\n  n = 3 ;\nvariables:\n  string label ;\n"
       "  double lon(n) ;\n  int depth(n) ;\n  string :source = \"model\", \"run\" ;\n"
       "data:\n  label = \"north\" ;\n  lon = 350, 10, 20 ;\n  depth = 5, 10, 20 ;\n}\n");
  run("QUIET\nNETCDFFILE s.nc\nNETCDFVAR label\nNETCDFATT source\n");
  EXPECT_EQ(chr("LABEL"), "north");
  EXPECT_EQ(chr("SOURCE"), "model");
  run("NETCDFTOVCOL depth\nNETCDFTOZVEC lon\n");
  EXPECT_EQ(s->store.v.values(), (std::vector<double>{5, 10, 20}));
  EXPECT_EQ(s->store.z.values(), (std::vector<double>{350, 10, 20}));
  run("NETCDFVOLUMEZ depth\n");
  EXPECT_EQ(s->array.z, (std::vector<double>{5, 10, 20}));
  EXPECT_EQ(num("MZ"), 3);
  // With XMOD the longitudes wrap to increase, and XMIN/XMAX follow them.
  run("XMOD 360\nNETCDFARRAYX lon\n");
  EXPECT_EQ(s->array.x, (std::vector<double>{350, 370, 380}));
  EXPECT_EQ(s->array.dx, (std::vector<double>{20, 15, 10}));
  EXPECT_EQ(s->axes[AxisId::X].limits.min, 350);
  EXPECT_EQ(s->axes[AxisId::X].limits.max, 380);
  EXPECT_EQ(take_err(), "");
  // The store as the current data file; a later scratch writer of the same
  // name (FITCUBIC) may replace it.
  run("NETCDFTOXCOL lon\nNETCDFTOYCOL depth\nNETCDFTODATA\nLOAD\nFITCUBIC 5 1 3\n");
  EXPECT_EQ(take_err(), "At least four data points required to perform cubic spline.  Error.\n");
  write("d.txt", "1 1\n2 4\n3 9\n4 16\n5 25\n");
  run("DATA d.txt\nXCOL 1\nYCOL 2\nLOAD\nNETCDFTODATA\nFITCUBIC 5 1 3\nLOAD\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(num("NPTS"), 5);
  finish();
}

// An attribute holding ";" is text: put into a label and queued back by
// 3DTRAN, it arrives whole and nothing of it runs.
TEST_F(NetcdfTest, AttributeTextQueuedBackStaysText) {
  make("t", "classic",
       "netcdf t {\ndimensions:\n  x = 2 ; y = 2 ;\nvariables:\n  double arr(y, x) ;\n"
       "  :title = \"t;ECHOERR ran;DELETE t.cdl\" ;\ndata:\n  arr = 1, 2, 3, 4 ;\n}\n");
  run("NETCDFFILE t.nc\nNETCDFATT title\nYLAB |%title\nNETCDFTOARRAY arr\n3DTRAN\n");
  EXPECT_EQ(s->axes[AxisId::X].layout.label, "t;ECHOERR ran;DELETE t.cdl");
  EXPECT_EQ(take_err().find("ran\n"), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists("t.cdl"));
  finish();
}

// Volumes too large for one read are summed slab by slab: whole z-levels
// (wide) or rows of one level (deep), with a last slab that is short. The
// file holds no data, so every element reads as the fill value: the byte
// default -127, which counts as data, or masked's own, which is missing.
TEST_F(NetcdfTest, LargeVolumesSumEveryElementOnce) {
  make("fill", "nc4",
       "netcdf fill {\ndimensions:\n  x = 2000 ; y = 1000 ; z = 5 ; wx = 4200 ; wz = 2 ;\n"
       "variables:\n  byte wide(z, y, x) ;\n  byte deep(wz, y, wx) ;\n"
       "  byte masked(z, y, x) ;\n    masked:_FillValue = 1b ;\n}\n");
  run("QUIET\nNETCDFFILE fill.nc\n");
  auto all = [&](double want) {
    const auto [lo, hi] = std::minmax_element(s->array.values.begin(), s->array.values.end());
    return *lo == want && *hi == want;
  };
  run("NETCDFVOLUMEXYSUMTOARRAY wide\n");
  EXPECT_EQ(s->array.values.size(), 2000u * 1000u);
  EXPECT_TRUE(all(5 * -127));
  run("NETCDFVOLUMEYZSUMTOARRAY deep\n");
  EXPECT_EQ(s->array.values.size(), 1000u * 2u);
  EXPECT_TRUE(all(4200 * -127));
  run("NETCDFVOLUMEXYSUMTOARRAY deep\n");
  EXPECT_TRUE(all(2 * -127));
  run("NETCDFVOLUMEYZMAXTOARRAY wide\n");
  EXPECT_TRUE(all(-127));
  run("NETCDFVOLUMEXYSUMTOARRAY masked\n");
  EXPECT_TRUE(all(kMissingValue));
  finish();
}

// Fields of 2 x 2 values, one per attribute convention, and scalars.
constexpr const char* kConventionsCdl = R"(netcdf conventions {
dimensions:
  x = 2 ; y = 2 ; z = 2 ;
variables:
  int plain(y, x) ;
  float fill(y, x) ;
    fill:_FillValue = -999.f ;
  int miss(y, x) ;
    miss:missing_value = -1 ;
  double missv(y, x) ;
    missv:missing_value = -1., -2. ;
  short vmin(y, x) ;
    vmin:valid_min = 0s ;
  double vmax(y, x) ;
    vmax:valid_max = 100. ;
  int vrange(y, x) ;
    vrange:valid_range = 0, 10 ;
  short packed(y, x) ;
    packed:scale_factor = 0.5f ;
    packed:add_offset = 100.f ;
    packed:_FillValue = -32768s ;
  short offset(y, x) ;
    offset:add_offset = -10.f ;
    offset:valid_range = 0s, 20s ;
  float mixed(y, x) ;
    mixed:missing_value = -999.9 ;
  float notnum(y, x) ;
    notnum:_FillValue = NaNf ;
  double dflt(y, x) ;
  double later(y, x) ;
  byte bytes(y, x) ;
  short lon(x) ;
    lon:scale_factor = 0.5f ;
  short ps ;
    ps:scale_factor = 0.5f ;
    ps:add_offset = 100.f ;
  float fs ;
    fs:_FillValue = -999.f ;
  float vol(z, y, x) ;
    vol:_FillValue = -9.f ;
data:
  plain = 1, -999, 3, 4 ;
  fill = 1, -999, 3, 4 ;
  miss = -1, 2, 3, 4 ;
  missv = -1, -2, 3, -3 ;
  vmin = -1, 0, 5, 6 ;
  vmax = 100, 100.5, 3, 4 ;
  vrange = -1, 0, 10, 11 ;
  packed = 0, 2, _, 10 ;
  offset = -1, 0, 20, 21 ;
  mixed = -999.9, 2, 3, 4 ;
  notnum = 1, NaNf, 3, 4 ;
  dflt = 1, _, 3, 4 ;
  bytes = -127b, 2b, 3b, 4b ;
  lon = 10, 20 ;
  ps = 10 ;
  fs = -999 ;
  vol = 1, -9, -9, -9, 2, 3, -9, 5 ;
}
)";

// Elements equal to a fill or missing value, or outside the valid range, all
// compared raw, become missing in the array; the others are unpacked. The
// count shows on the terminal.
TEST_F(NetcdfTest, FillAndOutOfRangeValuesAreMissingInTheArray) {
  constexpr double M = kMissingValue;
  struct Case {
    const char* command;
    std::vector<double> want;  // the array's values
    const char* count;         // the terminal line, "" for none
  };
  const Case cases[] = {
      {"NETCDFTOARRAY plain", {1, -999, 3, 4}, ""},
      {"NETCDFTOARRAY fill", {1, M, 3, 4}, "      1 missing values.\n"},
      {"NETCDFTOARRAY miss", {M, 2, 3, 4}, "      1 missing values.\n"},
      {"NETCDFTOARRAY missv", {M, M, 3, -3}, "      2 missing values.\n"},
      {"NETCDFTOARRAY vmin", {M, 0, 5, 6}, "      1 missing values.\n"},
      {"NETCDFTOARRAY vmax", {100, M, 3, 4}, "      1 missing values.\n"},
      {"NETCDFTOARRAY vrange", {M, 0, 10, M}, "      2 missing values.\n"},
      // The fill value and the range apply to the packed values.
      {"NETCDFTOARRAY packed", {100, 101, M, 105}, "      1 missing values.\n"},
      {"NETCDFTOARRAY offset", {M, -10, 10, M}, "      2 missing values.\n"},
      // A double missing_value of a float variable means the float.
      {"NETCDFTOARRAY mixed", {M, 2, 3, 4}, "      1 missing values.\n"},
      {"NETCDFTOARRAY notnum", {1, M, 3, 4}, "      1 missing values.\n"},
      // Without _FillValue the type's default fill is missing (unwritten
      // values read as it), except for bytes.
      {"NETCDFTOARRAY dflt", {1, M, 3, 4}, "      1 missing values.\n"},
      {"NETCDFTOARRAY later", {M, M, M, M}, "      4 missing values.\n"},
      {"NETCDFTOARRAY bytes", {-127, 2, 3, 4}, ""},
      // Volume slices as the array; sums and maxima leave missing elements
      // out, and a cell without any other is missing.
      {"NETCDFVOLUMEXYTOARRAY vol 1", {1, M, M, M}, "      3 missing values.\n"},
      {"NETCDFVOLUMEXYSUMTOARRAY vol", {3, 3, M, 5}, "      4 missing values.\n"},
      {"NETCDFVOLUMEYZSUMTOARRAY vol", {1, M, 5, 5}, "      4 missing values.\n"},
      {"NETCDFVOLUMEYZMAXTOARRAY vol", {1, M, 3, 5}, "      4 missing values.\n"},
  };
  for (const char* kind : {"classic", "nc4"}) {
    SCOPED_TRACE(kind);
    make(std::string("c") + kind, kind, kConventionsCdl);
    run(std::string("NETCDFFILE c") + kind + ".nc\n");
    take_out();
    for (const Case& c : cases) {
      run(std::string(c.command) + "\n");
      EXPECT_EQ(std::vector<double>(s->array.values), c.want) << c.command;
      EXPECT_EQ(take_out(), c.count) << c.command;
    }
    run("NETCDFVAR ps\nNETCDFVAR fs\nNETCDFARRAYX lon\n");
    EXPECT_EQ(num("PS"), 105);
    EXPECT_EQ(num("FS"), M);
    EXPECT_EQ(s->array.x, (std::vector<double>{5, 10}));
    EXPECT_EQ(take_err(), "");
  }
  // Colour cells over a missing element take the missing colour.
  run("NETCDFTOARRAY fill\nZMIN 0\nZMAX 4\n");
  new_ps_lines();
  run("CCONT\n");
  const std::vector<std::string> ps = new_ps_lines();
  EXPECT_EQ(std::count(ps.begin(), ps.end(), "c0255"), 1);
  finish();
}

// A point whose value is missing is left out of every column, and later
// vectors of the same length fill the points that are left, whatever the
// order of the reads.
TEST_F(NetcdfTest, MissingValuesLeaveTheirPointsOutOfTheColumns) {
  const std::string cdl =
      "netcdf p {\ndimensions:\n  n = 5 ;\nvariables:\n  double t(n) ;\n  float a(n) ;\n"
      "    a:_FillValue = -999.f ;\n  short b(n) ;\n    b:missing_value = -1s ;\n"
      "  short p(n) ;\n    p:scale_factor = 0.5 ;\n    p:add_offset = 10. ;\n"
      "    p:valid_range = 0s, 100s ;\ndata:\n  t = 1, 2, 3, 4, 5 ;\n"
      "  a = 10, -999, 30, 40, 50 ;\n  b = 100, 200, 300, -1, 500 ;\n"
      "  p = 0, 50, 150, -5, 100 ;\n}\n";
  for (const char* kind : {"classic", "nc4"}) {
    SCOPED_TRACE(kind);
    make(std::string("p") + kind, kind, cdl);
    const std::string open = std::string("NETCDFFILE p") + kind + ".nc\n";
    run(open + "NETCDFTOXCOL t\n");
    take_out();
    run("NETCDFTOYCOL a\n");
    EXPECT_EQ(take_out(), "      1 missing values skipped.\n");
    EXPECT_EQ(column(s->store.x), (std::vector<double>{1, 3, 4, 5}));
    EXPECT_EQ(column(s->store.y), (std::vector<double>{10, 30, 40, 50}));
    EXPECT_EQ(num("NPTS"), 4);
    run("NETCDFTOZCOL b\nNETCDFTOXCOL t\n");
    EXPECT_EQ(column(s->store.x), (std::vector<double>{1, 3, 5}));
    EXPECT_EQ(column(s->store.y), (std::vector<double>{10, 30, 50}));
    EXPECT_EQ(s->store.z.values(), (std::vector<double>{100, 300, 500}));
    EXPECT_EQ(num("NPTS"), 3);

    // The other order, in a fresh session.
    restart();
    run("QUIET\n" + open + "NETCDFTOYCOL a\nNETCDFTOXCOL t\n");
    EXPECT_EQ(column(s->store.x), (std::vector<double>{1, 3, 4, 5}));
    EXPECT_EQ(column(s->store.y), (std::vector<double>{10, 30, 40, 50}));
    // Once something else changed the points, a vector fills them one by one.
    run("MATH Y = {2 Y *}\nDOMATH\nNETCDFTOXCOL t\n");
    EXPECT_EQ(column(s->store.x), (std::vector<double>{1, 2, 3, 4, 5}));
    EXPECT_EQ(column(s->store.y), (std::vector<double>{20, 60, 80, 100, 0}));

    // Packed values unpacked; the valid range is in packed units.
    restart();
    run("QUIET\n" + open + "NETCDFTOYCOL p\n");
    EXPECT_EQ(column(s->store.y), (std::vector<double>{10, 35, 60}));
    EXPECT_EQ(take_err(), "");
    restart();
  }
  finish();
}

TEST_F(NetcdfTest, MendsAndRefusals) {
  make("v", "nc4", cdl("v"));
  // The sizes are beyond the store and the array; the file holds no data.
  make("big", "nc4",
       "netcdf big {\ndimensions:\n  x = 9000 ; y = 9000 ; n = 5000001 ;\nvariables:\n"
       "  double big(y, x) ;\n  byte longer(n) ;\n}\n");
  write("junk.nc", "not a netCDF file\n");
  run("QUIET\nNETCDFVAR scale\nNETCDFFILE v.nc\n");
  EXPECT_EQ(take_err(), "There is no netCDF file open (NETCDFFILE).\n");

  // Char elements read as 0 in numeric reads.
  run("NETCDFTOXCOL code\n");
  EXPECT_EQ(column(s->store.x), (std::vector<double>{0, 0, 0, 0}));
  s->reader.np = 3;
  run("NETCDFTOXCOL x\nNETCDFVOLUMETOXCOL vol 1 1\nNETCDFFILE big.nc\nNETCDFTOARRAY big\n"
      "NETCDFARRAYX longer\nNETCDFFILE junk.nc\nNETCDFFILE missing.nc\n");
  EXPECT_EQ(take_err(),
            "There are too many points in this data file.\n"
            "There are too many points in this data file.\n"
            "ARRAY is too large for available memory\n"
            "ARRAY is too large for available memory\n"
            "Cannot open netCDF file: junk.nc\n"
            "Cannot open netCDF file: missing.nc\n");
  EXPECT_EQ(column(s->store.x), (std::vector<double>{0, 0, 0, 0}));
  EXPECT_EQ(chr("DATAFILE"), "big.nc");
  // The failed opens left big.nc open.
  run("NETCDFDIM n\n");
  EXPECT_EQ(num("N"), 5000001);

  run("NETCDFFILE v.nc\nNETCDFTOARRAY field\nNETCDFTOARRAY x\nNETCDFTOARRAY nope\n"
      "NETCDFTOYCOL vol\nNETCDFTOYCOL nope\nNETCDFVAR nope\nNETCDFATT nope\nNETCDFDIM nope\n"
      "NETCDFVOLUMEXYSUMTOARRAY field\nNETCDFVOLUMEXZTOARRAY nope 1\n"
      "NETCDFVOLUMEXZTOARRAY vol 4\nNETCDFVOLUMETOZCOL vol 5 1\nNETCDFVOLUMETOXCOL vol 1 0\n"
      "NETCDFARRAYX none\n");
  EXPECT_EQ(take_err(),
            "x is not an array.\n"
            "Cannot find the array called nope\n"
            "vol is not a vector.\n"
            "Cannot find the vector called nope\n"
            "Cannot find the variable called nope\n"
            "Cannot find the attribute called nope\n"
            "Cannot find the dimension called nope\n"
            "field is not a volume.\n"
            "Cannot find the volume called nope\n"
            "NETCDFVOLUMEXZTOARRAY: y = 4 is outside 1 .. 3 in vol; nothing was read.\n"
            "NETCDFVOLUMETOZCOL: x = 5 is outside 1 .. 4 in vol; nothing was read.\n"
            "NETCDFVOLUMETOXCOL: z = 0 is outside 1 .. 2 in vol; nothing was read.\n"
            "The variable called none holds no values; nothing was read.\n");
  // A name is cut with its command line, which says so.
  run("NETCDFFILE " + std::string(600, 'a') + "\n");
  const std::string cut = take_err();
  EXPECT_EQ(cut.substr(0, 50), "Warning--a line of 611 characters is cut to 256: N");
  EXPECT_NE(cut.find("\nCannot open netCDF file: aaaaa"), std::string::npos);
  // Nothing above changed the array that NETCDFTOARRAY field loaded.
  EXPECT_EQ(array(), (std::vector<double>{4, 3, 11, 21, 31, 41, 12, 22, 32, 42, 13, 23, 33, 43}));
  finish();
}

}  // namespace
}  // namespace vexal
