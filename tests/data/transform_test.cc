// The data transformations: the sort, smoothing and derivative, the binning
// search against the full test, the Fourier transform, the fits and the
// spline, on plain columns and as a user runs them.
#include "data/transform.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <fstream>
#include <random>
#include <sstream>

#include "support/scratch_dir.h"
#include "util/free_format.h"
#include "util/text.h"

namespace vexal {
namespace {

class TransformTest : public ScratchDirTest {
 protected:
  std::vector<double> xs() const { return {s->store.x.begin(), s->store.x.end()}; }
  std::vector<double> ys() const { return {s->store.y.begin(), s->store.y.end()}; }
  std::vector<double> zs() const { return s->store.z.values(); }
  // The command lines run since the last call, as the document records them.
  std::vector<std::string> commands_run() {
    std::vector<std::string> lines;
    for (const std::string& l : new_ps_lines(true))
      if (l.rfind("%! ", 0) == 0) lines.push_back(l.substr(3));
    return lines;
  }
  void load(const std::string& text) {
    write("d.txt", text);
    run("QUIET\nDATA d.txt\nLOAD\n");
  }
};

Point at(double x, double y, int32_t pen, int32_t symbol, int32_t colour) {
  Point p;
  p.x = x;
  p.y = y;
  p.z = x * 10;
  p.pen = pen;
  p.symbol = symbol;
  p.colour = colour;
  return p;
}

TEST(Sort, StableCarriesPenAndSymbolLeavesZAndColour) {
  PointStore st;
  const double keys[] = {3, 1, NAN, 2, 1, 0};
  for (int i = 0; i < 6; ++i) st.append(at(keys[i], 100 + i, i % 2, 10 + i, 20 + i));
  bsort(st, SortKey::kX);
  // Equal keys keep their order (the 1 of point 2 before that of point 5); NaN last.
  const int from[] = {5, 1, 4, 3, 0, 2};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(st.x[i], keys[from[i]]) << i;
  EXPECT_TRUE(std::isnan(st.x[5]));
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(st.y[i], 100 + from[i]) << i;
    EXPECT_EQ(st.pen[i], from[i] % 2) << i;
    EXPECT_EQ(st.symbol[i], 10 + from[i]) << i;
    if (i != 2) {
      EXPECT_EQ(st.z[i], keys[i] * 10) << i;
    }
    EXPECT_EQ(st.colour[i], 20 + i) << i;
  }
}

TEST(Sort, ByYMatchesASelectionSortOnDistinctKeys) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-1, 1);
  PointStore st;
  for (int i = 0; i < 500; ++i) st.append(at(u(gen), u(gen), 1, -1, -1));
  std::vector<std::pair<double, double>> ref;
  for (int i = 0; i < 500; ++i) ref.push_back({st.y[i], st.x[i]});
  for (size_t i = 0; i < ref.size(); ++i)  // the selection sort the settings describe
    std::swap(ref[i], *std::min_element(ref.begin() + i, ref.end()));
  bsort(st, SortKey::kY);
  for (int i = 0; i < 500; ++i) {
    EXPECT_EQ(st.y[i], ref[i].first);
    EXPECT_EQ(st.x[i], ref[i].second);
  }
}

TEST_F(TransformTest, SmoothSortAndDerivative) {
  load("0 0\n0 1\n4 2\n0 3\n0 4\n");
  run("XSMOOTH 1\nYSORT\n");
  dosmooth(s->transform, s->store, false, s->term);
  EXPECT_EQ(xs(), (std::vector<double>{0, 1, 2, 1, 0}));
  // Y has no passes: the end rule alone would have moved it.
  EXPECT_EQ(ys(), (std::vector<double>{0, 1, 2, 3, 4}));
  run("VERBOSE\nSORT\n");
  dosort(s->transform, s->store, true, s->term);
  EXPECT_EQ(xs(), (std::vector<double>{0, 0, 1, 1, 2}));
  EXPECT_EQ(ys(), (std::vector<double>{0, 4, 1, 3, 2}));
  EXPECT_NE(take_out().find("      5 points sorted."), std::string::npos);

  load("0 0\n1 1\n2 4\n3 9\n");
  run("DODERIV\n");
  EXPECT_EQ(ys(), (std::vector<double>{1, 2, 4, 5}));
  EXPECT_EQ(zs(), ys());
  // Too few points change nothing.
  load("0 0\n1 1\n");
  run("DODERIV\nXSMOOTH 3\n");
  dosmooth(s->transform, s->store, false, s->term);
  EXPECT_EQ(ys(), (std::vector<double>{0, 1}));
  EXPECT_EQ(xs(), (std::vector<double>{0, 1}));
  finish();
}

// The bins a value falls in by the full test.
std::vector<size_t> full_test(const std::vector<double>& c, const std::vector<double>& w,
                              double x) {
  std::vector<size_t> in;
  for (size_t k = 0; k < c.size(); ++k)
    if (c[k] - w[k] / 2 < x && x <= c[k] + w[k] / 2) in.push_back(k);
  return in;
}

std::vector<uint64_t> bits(const std::vector<double>& v) {
  std::vector<uint64_t> out;
  for (double d : v) out.push_back(std::bit_cast<uint64_t>(d));
  return out;
}

// The totals as the full test forms them: point by point, into each of its
// bins in turn, then the squares from the means in a second pass.
BinTotals full_totals(size_t bins, const std::vector<std::vector<size_t>>& holders,
                      const std::vector<double>& v) {
  BinTotals t{std::vector<double>(bins), std::vector<double>(bins), std::vector<double>(bins)};
  for (size_t j = 0; j < v.size(); ++j)
    for (size_t k : holders[j]) t.count[k] += 1, t.sum[k] += v[j];
  for (size_t j = 0; j < v.size(); ++j)
    for (size_t k : holders[j]) {
      const double d = v[j] - t.mean(k);
      t.squares[k] += d * d;
    }
  return t;
}

void expect_same_totals(const BinTotals& got, const BinTotals& want, const std::string& name) {
  EXPECT_EQ(got.count, want.count) << name;
  EXPECT_EQ(bits(got.sum), bits(want.sum)) << name;
  EXPECT_EQ(bits(got.squares), bits(want.squares)) << name;
}

struct Layout {
  std::string name;
  std::vector<double> c, w;
  bool disjoint;
};

std::vector<Layout> layouts() {
  std::mt19937 gen(3);
  std::uniform_real_distribution<double> u(-1, 11);
  std::vector<Layout> l = {
      {"even", {}, {}, true},
      {"uneven with a gap and a zero width",
       {0.125, 0.5, 1.25, 4, 5, 9.75},
       {0.25, 0.5, 1, 2, 0, 0.5},
       true},
      {"thousandths, neighbours overlapping by rounding", {}, {}, false},
      {"width 2, step 1", {}, {}, false},
      {"growing by 5 %, overlapping a little", {}, {}, false},
      {"nested", {5, 5, 5, 5}, {10, 8, 6, 2}, false},
      {"descending", {}, {}, false},
      {"shrinking around one centre", {}, {}, false},
      {"random, with NaN, infinite and negative widths", {NAN, 2, 3}, {1, INFINITY, -1}, false}};
  for (int k = 0; k < 200; ++k) l[0].c.push_back(k * 0.5), l[0].w.push_back(0.5);
  for (int k = 0; k <= 1000; ++k) l[2].c.push_back(k * 0.001), l[2].w.push_back(0.001);
  for (int k = 0; k < 300; ++k) l[3].c.push_back(k), l[3].w.push_back(2);
  for (int k = 0; k < 300; ++k)
    l[4].c.push_back(std::pow(1.05, k)), l[4].w.push_back(l[4].c[k] / 20);
  for (int k = 0; k < 400; ++k)
    l[5].c.push_back(k * 0.02 + 1), l[5].w.push_back(k % 7 ? 0.02 : 0.5);
  for (int k = 0; k < 300; ++k) l[6].c.push_back(10 - k * 0.25), l[6].w.push_back(0.3);
  for (int k = 0; k < 300; ++k) l[7].c.push_back(5), l[7].w.push_back(10 - k * 0.03);
  for (int k = 0; k < 500; ++k) l[8].c.push_back(u(gen)), l[8].w.push_back(k % 4 ? u(gen) / 3 : 0);
  return l;
}

// Every edge, its neighbours one unit in the last place away, values
// between and beyond the bins, and the values that hold no comparison.
std::vector<double> probes(const Layout& l, std::mt19937& gen) {
  std::uniform_real_distribution<double> u(-2, 12);
  std::vector<double> x = {NAN, INFINITY, -INFINITY};
  for (size_t k = 0; k < l.c.size(); ++k)
    for (double e : {l.c[k] - l.w[k] / 2, l.c[k] + l.w[k] / 2})
      for (double d : {e, std::nextafter(e, -1e9), std::nextafter(e, 1e9)}) x.push_back(d);
  for (int i = 0; i < 3000; ++i) x.push_back(u(gen));
  std::shuffle(x.begin(), x.end(), gen);
  return x;
}

TEST(Binning, BinsAndTotalsMatchTheFullTest) {
  std::mt19937 gen(5);
  std::uniform_real_distribution<double> u(-1, 1);
  for (const Layout& l : layouts()) {
    const BinEdges edges(l.c, l.w);
    EXPECT_EQ(edges.disjoint(), l.disjoint) << l.name;
    const std::vector<double> key = probes(l, gen);
    std::vector<double> v;
    for (size_t j = 0; j < key.size(); ++j) v.push_back(j % 97 ? u(gen) : NAN);
    std::vector<std::vector<size_t>> holders;
    size_t shared = 0;  // values in two bins or more
    for (double x : key) {
      holders.push_back(full_test(l.c, l.w, x));
      shared += holders.back().size() > 1;
      std::vector<size_t> got;
      edges.each(x, [&](size_t k) { got.push_back(k); });
      EXPECT_EQ(got, holders.back()) << l.name << " at " << x;
    }
    EXPECT_EQ(shared > 0, !l.disjoint) << l.name;
    const BinTotals full = full_totals(l.c.size(), holders, v);
    expect_same_totals(bin_values(edges, key.data(), v.data(), key.size(), true), full, l.name);
    // Counts alone (DOBIN) are the same counts.
    EXPECT_EQ(bin_values(edges, key.data(), nullptr, key.size(), false).count, full.count)
        << l.name;
  }
}

TEST(Binning, CellsMatchTheFullTest) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-1, 1);
  const std::vector<Layout> l = layouts();
  const std::pair<size_t, size_t> pairs[] = {{0, 1}, {1, 2}, {3, 4}, {5, 6}, {8, 7}};
  for (auto [xl, yl] : pairs) {
    const std::string name = l[xl].name + " by " + l[yl].name;
    const std::vector<double> x = probes(l[xl], gen), y = probes(l[yl], gen);
    const size_t n = std::min(x.size(), y.size()), nx = l[xl].c.size();
    std::vector<double> v(n);
    std::vector<std::vector<size_t>> holders(n);
    for (size_t j = 0; j < n; ++j) {
      v[j] = u(gen);
      for (size_t i : full_test(l[xl].c, l[xl].w, x[j]))
        for (size_t k : full_test(l[yl].c, l[yl].w, y[j])) holders[j].push_back(k * nx + i);
    }
    const BinTotals got = bin_cells(BinEdges(l[xl].c, l[xl].w), BinEdges(l[yl].c, l[yl].w),
                                    x.data(), y.data(), v.data(), n, true);
    expect_same_totals(got, full_totals(nx * l[yl].c.size(), holders, v), name);
  }
}

TEST_F(TransformTest, DefineBinAndTheBinCommands) {
  load("0.25 1\n0.1 3\n0.75 2\n0.75 4\n1.6 100\n");
  run("DEFINEBIN 0 1 0.5\n");
  EXPECT_EQ(num("MX"), 4);
  EXPECT_EQ(s->array.x, (std::vector<double>{0, 0.5, 1, 1.5}));
  EXPECT_EQ(num("XMIN"), 0);
  EXPECT_EQ(num("XMAX"), 1);
  commands_run();
  run("DOBINDEV\n");
  // 0.25 is the upper edge of bin 0, 0.75 that of bin 0.5.
  EXPECT_EQ(xs(), (std::vector<double>{0, 0.5, 1, 1.5}));
  EXPECT_EQ(s->store.v.values(), (std::vector<double>{2, 2, 0, 1}));
  EXPECT_EQ(zs(), (std::vector<double>{2, 3, 0, 100}));
  EXPECT_EQ(ys(), (std::vector<double>{std::sqrt(2.0), std::sqrt(2.0), 0, 0}));
  const std::vector<std::string> ran = commands_run();
  for (const char* queued :
       {"XMAX   0.17500E+01", "XMIN  -0.25000E+00", "YMAX   0.14142E+01", "YMIN   0.00000E+00"})
    EXPECT_NE(std::find(ran.begin(), ran.end(), queued), ran.end()) << queued;
  EXPECT_EQ(num("NPTS"), 4);
  load("0.25 1\n0.75 2\n0.75 4\n");
  run("DOBINSUM\n");
  EXPECT_EQ(ys(), (std::vector<double>{1, 6, 0, 0}));
  EXPECT_EQ(zs(), (std::vector<double>{1, 2, 0, 0}));
  load("0.25 1\n0.75 2\n0.75 4\n");
  run("DOBIN\n");
  EXPECT_EQ(ys(), (std::vector<double>{1, 2, 0, 0}));
  finish();
}

TEST_F(TransformTest, ThreeDBinFillsTheArray) {
  load("0.2 0.2 5\n0.4 0.3 7\n1.2 0.1 1\n1.4 1.9 3\n");
  run("ZCOL 3\nLOAD\nARRAYXSCALE 2 0.5 1\nARRAYYSCALE 2 0.5 1\nDO3DBINAVE\n");
  EXPECT_EQ(s->array.values, (std::vector<double>{6, 1, 0, 3}));
  EXPECT_EQ(num("ZMIN"), 0);
  EXPECT_EQ(num("ZMAX_DATA"), 6);
  run("DO3DBINDEV\n");
  EXPECT_DOUBLE_EQ(s->array.values[0], std::sqrt(2.0));
  run("DO3DBINSUM\n");
  EXPECT_EQ(s->array.values, (std::vector<double>{12, 1, 0, 3}));
  finish();
}

TEST_F(TransformTest, PolynomialAndLineFits) {
  load("1 5\n2 7\n3 9\n4 11\n");
  run("FITPOLY 1\n");
  EXPECT_EQ(num("RESIDUAL"), 0);
  EXPECT_NEAR(num("A1"), 2, 1e-12);
  EXPECT_NEAR(num("A0"), 3, 1e-12);
  run("FITPOLY 0\n");
  EXPECT_DOUBLE_EQ(num("A0"), 8);
  EXPECT_DOUBLE_EQ(num("RESIDUAL"), std::sqrt(20.0) / 4);
  // Too few points, then a singular system: a message, nothing changed.
  run("FITPOLY 1\nFITPOLY 4\n");
  EXPECT_EQ(take_err(), "Too few points for a fit of order 4; nothing fitted.\n");
  load("2 1\n2 3\n2 5\n");
  run("FITPOLY 2\n");
  EXPECT_EQ(take_err(), "The fit's equations are singular; nothing fitted.\n");
  EXPECT_NEAR(num("A1"), 2, 1e-12);
  EXPECT_FALSE(std::isnan(num("RESIDUAL")));

  load("0 1\n1 3\n2 5\n");
  commands_run();
  run("XMIN 0\nXMAX 2\nYMIN 0\nYMAX 5\nFITLINE\nSHOWEQUATION\n");
  EXPECT_NEAR(num("FIT_SLOPE"), 2, 1e-12);
  EXPECT_NEAR(num("FIT_INTERCEPT"), 1, 1e-12);
  const std::vector<std::string> ran = commands_run();
  for (const char* queued :
       {"XSCALE", "MOVE   0.20000E+01   0.50000E+01", "DRAW   0.00000E+00   0.10000E+01",
        "NOXSCALE", "TEXT Y =   0.20000E+01 X +   0.10000E+01"})
    EXPECT_NE(std::find(ran.begin(), ran.end(), queued), ran.end()) << queued;
  finish();
}

TEST(Fft, MatchesADirectTransform) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> u(-1, 1);
  const int log2n = 6, n = 64;
  std::vector<double> re(n), im(n);
  for (int i = 0; i < n; ++i) re[i] = u(gen), im[i] = u(gen);
  std::vector<std::complex<double>> want(n);
  for (int k = 0; k < n; ++k)
    for (int j = 0; j < n; ++j)
      want[k] += std::complex<double>(re[j], im[j]) * std::polar(1.0, -2 * M_PI * j * k / n);
  fft(re.data(), im.data(), log2n);
  for (int k = 0; k < n; ++k) {
    // The single-precision angles hold the transform to about 1e-6.
    EXPECT_NEAR(re[k], want[k].real(), 1e-5) << k;
    EXPECT_NEAR(im[k], want[k].imag(), 1e-5) << k;
  }
}

TEST_F(TransformTest, FftChainFindsTheSineAndMakesTheSpectrumTheData) {
  // 100 samples 0.01 apart of a 12.5 Hz sine, padded to 128 and windowed.
  std::ostringstream text;
  for (int i = 0; i < 100; ++i)
    text << i * 0.01 << ' ' << std::sin(2 * M_PI * 12.5 * i * 0.01) << '\n';
  write("d.txt", text.str());
  run("QUIET\nDATA d.txt\nNFFT 100\nHANNING\nFFT\n");
  EXPECT_EQ(num("NFFT"), 128);
  ASSERT_EQ(s->store.npts(), 64);
  size_t peak = 0;
  double best = 0;
  for (size_t i = 0; i < 64; ++i) {
    const double a = std::hypot(s->store.y[i], s->store.z[i]);
    if (a > best) best = a, peak = i;
  }
  // Bins are 1 / (128 x 0.01) = 0.78125 Hz apart: 12.5 Hz is bin 16.
  EXPECT_EQ(peak, 16u);
  EXPECT_DOUBLE_EQ(s->store.x[16], 12.5);
  EXPECT_EQ(chr("DATAFILE"), "data" + s->run.pid + ".fft");
  std::ifstream f("data" + s->run.pid + ".fft");
  // Each line holds the point's X, Y and Z as free_real writes them.
  size_t lines = 0, exponents = 0;
  for (std::string l; std::getline(f, l); ++lines) {
    ASSERT_LT(lines, 64u);
    std::string want;
    for (double v : {s->store.x[lines], s->store.y[lines], s->store.z[lines]})
      want += " " + free_real(v);
    EXPECT_EQ(l, want);
    exponents += l.find("E-0") != std::string::npos;
  }
  EXPECT_EQ(lines, 64u);
  EXPECT_GT(exponents, 0u);
  run("UNLOADFFT\n");
  EXPECT_EQ(s->store.npts(), 64);

  s->reader.np = 5000;
  run("NFFT 10000\n");
  EXPECT_EQ(take_err(), "Requested NFFT too large.  Using 4096 Points.\n");
  EXPECT_EQ(num("NFFT"), 4096);
  run("NFFT 1000\n");
  EXPECT_EQ(num("NFFT"), 1024);
  finish();
}

TEST_F(TransformTest, CubicSplineThroughThePoints) {
  load("3 9\n0 0\n1 1\n2 4\n4 16\n");
  run("FITCUBIC 5 0 4\n");
  std::ifstream f("data" + s->run.pid + ".tmp");
  double x, y;
  std::vector<double> got;
  while (f >> x >> y) {
    EXPECT_EQ(x, got.size());
    got.push_back(y);
  }
  ASSERT_EQ(got.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(got[i], i * i, 1e-12) << i;
  EXPECT_EQ(chr("DATAFILE"), "data" + s->run.pid + ".tmp");
  // The sorted points and the second derivatives in Z (ends copy their neighbours).
  EXPECT_EQ(xs(), (std::vector<double>{0, 1, 2, 3, 4}));
  EXPECT_EQ(zs()[0], zs()[1]);
  EXPECT_EQ(zs()[4], zs()[3]);
  load("0 0\n1 1\n2 4\n");
  run("FITCUBIC 5 0 4\n");
  EXPECT_EQ(take_err(), "At least four data points required to perform cubic spline.  Error.\n");
  finish();
}

TEST_F(TransformTest, HistogramBarsAndBoxes) {
  load("1 2 3\n2 4 5\n4 1 0\n");
  run("XMIN 0\nXMAX 5\nYMIN 0\nYMAX 5\nXDIM 5\nYDIM 5\n");
  new_ps_lines();
  // Bars reach half-way to the neighbours (the last as far again), clipped at XMAX.
  run("DOHIST\n");
  EXPECT_EQ(new_ps_lines(), (std::vector<std::string>{"450 900 M", "750 900 L", "750 1500 L",
                                                      "1200 1500 L", "1200 600 L", "1800 600 L"}));
  EXPECT_EQ(chr("LABELFROMHEADER"), "");
  run("DOHIST 0\n");
  const std::vector<std::string> filled = new_ps_lines();
  EXPECT_EQ(std::count(filled.begin(), filled.end(), "CF S"), 3);
  EXPECT_EQ(std::vector<std::string>(filled.begin() + 1, filled.begin() + 5),
            (std::vector<std::string>{"450 300 M", "450 900 L", "750 900 L", "750 300 L"}));
  EXPECT_EQ(chr("PLOT_BASE"), "0");
  run("ZCOL 3\nLOAD\nBOXW 60\nDOBOX\n");
  const std::vector<std::string> box = new_ps_lines();
  EXPECT_EQ(std::vector<std::string>(box.begin(), box.begin() + 5),
            (std::vector<std::string>{"570 900 M", "570 1200 L", "630 1200 L", "630 900 L",
                                      "570 900 L"}));
  commands_run();
  run("HIST 0\nBINCOUNT\n");
  const std::vector<std::string> ran = commands_run();
  const std::vector<std::string> want = {"HIST 0",   "LOAD",     "APPEND",   "DOSMOOTH", "DOSORT",
                                         "DOAXES",   "DOHIST 0", "BINCOUNT", "LOAD",     "APPEND",
                                         "DOSMOOTH", "DOBIN",    "DOAXES",   "DOHIST"};
  std::vector<std::string> words;
  for (const std::string& l : ran)  // DOAXES's own SHOW lines left out
    if (!l.starts_with("SHOW")) words.push_back(std::string(trimmed(l)));
  EXPECT_EQ(words, want);
  finish();
}

TEST_F(TransformTest, LimitsAndAxisProportions) {
  load("0 0\n1 1\n2 4\n3 9\n");
  run("DODERIV\nRES\nDOMINMAX\n");
  EXPECT_EQ(num("YMIN_DATA"), 1);
  EXPECT_EQ(num("YMAX_DATA"), 5);
  EXPECT_EQ(num("ZMAX_DATA"), 5);
  // FIT3DDIM keeps the longer axis and shortens the other to the data's proportion.
  run("XMIN 0\nXMAX 10\nYMIN 0\nYMAX 5\nXDIM 6\nYDIM 6\nFIT3DDIM\n");
  EXPECT_EQ(num("XDIM"), 6);
  EXPECT_EQ(num("YDIM"), 3);
  run("YDIM 6\nYMAX 20\nFIT3DDIM\n");
  EXPECT_EQ(num("XDIM"), 3);
  run("YMAX 0\nFIT3DDIM\n");  // an empty range changes nothing
  EXPECT_EQ(num("XDIM"), 3);
  EXPECT_EQ(num("YDIM"), 6);
  finish();
}

}  // namespace
}  // namespace vexal
