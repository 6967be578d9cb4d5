// Helpers of the netCDF benchmark (netcdf_bench.sh):
//
//   netcdf_floor generate N FILE        a classic netCDF file holding the
//                                       double variable field(y, x), N x N:
//                                       a smooth field with a little noise
//   netcdf_floor floor FILE VAR         the floor: the variable read into one
//                                       vector with one nc_get_var_double
#include <netcdf.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

int usage() {
  std::fprintf(stderr, "usage: netcdf_floor generate N FILE | floor FILE VAR\n");
  return 2;
}

int fail(const char* what, int status) {
  std::fprintf(stderr, "netcdf_floor: %s: %s\n", what, nc_strerror(status));
  return 1;
}

// Rows are written one at a time, so that generating takes little memory.
int generate(long n, const char* name) {
  if (n < 1) return usage();
  int id, dims[2], var, status;
  if ((status = nc_create(name, NC_CLOBBER, &id)) != NC_NOERR) return fail(name, status);
  const size_t count = static_cast<size_t>(n);
  nc_def_dim(id, "y", count, &dims[0]);
  nc_def_dim(id, "x", count, &dims[1]);
  nc_def_var(id, "field", NC_DOUBLE, 2, dims, &var);
  nc_set_fill(id, NC_NOFILL, nullptr);
  if ((status = nc_enddef(id)) != NC_NOERR) return fail(name, status);
  std::vector<double> row(count);
  uint64_t state = 88172645463325252ull;  // xorshift: the same noise each run
  for (size_t j = 0; j < count; ++j) {
    for (size_t i = 0; i < count; ++i) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      const double noise = static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
      row[i] = std::sin(0.01 * static_cast<double>(i)) * std::cos(0.013 * static_cast<double>(j)) +
               0.01 * noise;
    }
    const size_t start[2] = {j, 0}, edge[2] = {1, count};
    if ((status = nc_put_vara_double(id, var, start, edge, row.data())) != NC_NOERR)
      return fail(name, status);
  }
  if ((status = nc_close(id)) != NC_NOERR) return fail(name, status);
  return 0;
}

int read_floor(const char* name, const char* var_name) {
  int id, var, ndims, status;
  if ((status = nc_open(name, NC_NOWRITE, &id)) != NC_NOERR) return fail(name, status);
  if ((status = nc_inq_varid(id, var_name, &var)) != NC_NOERR) return fail(var_name, status);
  nc_inq_varndims(id, var, &ndims);
  std::vector<int> dims(static_cast<size_t>(ndims));
  nc_inq_vardimid(id, var, dims.data());
  size_t total = 1;
  for (int d : dims) {
    size_t len = 0;
    nc_inq_dimlen(id, d, &len);
    total *= len;
  }
  std::vector<double> values(total);
  if ((status = nc_get_var_double(id, var, values.data())) != NC_NOERR)
    return fail(var_name, status);
  nc_close(id);
  // One value printed keeps the read from being left out.
  std::printf("%zu values, last %g\n", total, total ? values.back() : 0.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string_view(argv[1]) == "generate")
    return generate(std::strtol(argv[2], nullptr, 10), argv[3]);
  if (argc == 4 && std::string_view(argv[1]) == "floor") return read_floor(argv[2], argv[3]);
  return usage();
}
