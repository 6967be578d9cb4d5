// The two variable tables.
#include "util/variables.h"

#include <cstdlib>

#include "util/text.h"

namespace vexal {

std::string variable_key(std::string_view written) {
  size_t n = nvar(written);
  if (n > kNameWidth) n = kNameWidth;
  return upper(written.substr(0, n));
}

namespace {

int find(const std::unordered_map<std::string, int>& index, const std::string& key) {
  auto it = index.find(key);
  return it == index.end() ? 0 : it->second;
}

void unknown_message(OutBuffer& err, const std::string& key, bool reenter) {
  err.put(key);
  err.line(reenter ? " is not a known variable--please re-enter command."
                   : " is not a known variable.");
}

// Adds `key` with `init`, or replaces the last entry when the table is full.
template <typename Entry>
int add_entry(std::vector<Entry>& table, std::unordered_map<std::string, int>& index, size_t limit,
              const std::string& key, Entry init) {
  init.name = key;
  if (table.size() < limit) {
    table.push_back(std::move(init));
  } else {
    index.erase(table.back().name);
    table.back() = std::move(init);
  }
  int i = static_cast<int>(table.size());
  index[key] = i;
  return i;
}

}  // namespace

void setvariable(Variables& v, std::string_view name, double value) {
  std::string key = variable_key(name);
  if (int i = find(v.numeric_index, key)) {
    v.numeric[i - 1].value = value;
    return;
  }
  add_entry(v.numeric, v.numeric_index, kMaxNumericVariables, key, NumericVariable{"", value});
}

double getvariable(const Variables& v, std::string_view name, bool* error, bool warn,
                   OutBuffer& err) {
  std::string key = variable_key(name);
  if (int i = find(v.numeric_index, key)) {
    if (error) *error = false;
    return v.numeric[i - 1].value;
  }
  if (error) *error = true;
  if (warn) unknown_message(err, key, false);
  return 0.0;
}

int whichvariable(Variables& v, std::string_view name, IfUnknown unknown, OutBuffer& err) {
  std::string key = variable_key(name);
  int i = find(v.numeric_index, key);
  if (i > 1) return i;
  if (unknown == IfUnknown::kCreate)
    return add_entry(v.numeric, v.numeric_index, kMaxNumericVariables, key, NumericVariable{});
  if (unknown == IfUnknown::kWarn) unknown_message(err, key, true);
  return 0;
}

double gvariable(const Variables& v, int index) {
  if (index < 1 || index > static_cast<int>(v.numeric.size())) return 0.0;
  return v.numeric[index - 1].value;
}

void svariable(Variables& v, int index, double value) {
  if (index < 1 || index > static_cast<int>(v.numeric.size())) return;
  v.numeric[index - 1].value = value;
}

void setcvariable(Variables& v, std::string_view name, std::string_view text, OutBuffer& err) {
  std::string key = variable_key(name);
  std::string value(trimmed(text.substr(0, kLineWidth)));
  if (int i = find(v.char_index, key)) {
    v.chars[i - 1].value = std::move(value);
    return;
  }
  if (v.chars.size() >= kMaxCharVariables) {
    err.put("Too many character variables: ");
    err.put(key);
    err.put(" replaces ");
    err.line(v.chars.back().name);
  }
  add_entry(v.chars, v.char_index, kMaxCharVariables, key, CharVariable{"", std::move(value)});
}

std::string getcvariable(Variables& v, std::string_view name, OutBuffer& err) {
  std::string key = variable_key(name);
  if (int i = find(v.char_index, key)) return v.chars[i - 1].value;
  std::string written(trimmed(name.substr(0, nvar(name))));
  const char* env = written.empty() ? nullptr : std::getenv(written.c_str());
  if (env && *env) {
    setcvariable(v, key, env, err);
    return v.chars[find(v.char_index, key) - 1].value;
  }
  unknown_message(err, key, true);
  return "";
}

int whichcvariable(Variables& v, std::string_view name, IfUnknown unknown, OutBuffer& err) {
  std::string key = variable_key(name);
  int i = find(v.char_index, key);
  if (i > 1) return i;
  if (unknown == IfUnknown::kCreate) {
    if (v.chars.size() >= kMaxCharVariables) {
      err.put("Too many character variables: ");
      err.put(key);
      err.put(" replaces ");
      err.line(v.chars.back().name);
    }
    return add_entry(v.chars, v.char_index, kMaxCharVariables, key, CharVariable{});
  }
  if (unknown == IfUnknown::kWarn) unknown_message(err, key, true);
  return 0;
}

}  // namespace vexal
