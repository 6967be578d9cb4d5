// Per-point columns.
//
// `Column` is an array filled from the front that grows geometrically with
// what it holds. Growing it moves the values; a reservation keeps them where
// they are while the column grows within it.
//
// `ImplicitColumn` holds no memory at all while its values follow a rule:
// all equal, or (floating values) an exact arithmetic progression such as
// record numbers. The first value that breaks the rule writes the values out
// (materialises the column); from then on it is a plain `Column`. Reading a
// value never materialises; `data()` does.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <type_traits>
#include <vector>

namespace vexal {

template <class T>
class Column {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  Column() = default;
  Column(const Column& o) { *this = o; }
  Column& operator=(const Column& o) {
    if (this != &o) {
      size_ = 0;
      reserve(o.size_);
      if (o.size_) std::memcpy(data_.get(), o.data_.get(), o.size_ * sizeof(T));
      size_ = o.size_;
    }
    return *this;
  }
  Column(Column&& o) noexcept { swap(o); }
  Column& operator=(Column&& o) noexcept {
    swap(o);
    return *this;
  }

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  size_t capacity() const { return capacity_; }
  T* data() { return data_.get(); }
  const T* data() const { return data_.get(); }
  T* begin() { return data_.get(); }
  T* end() { return data_.get() + size_; }
  const T* begin() const { return data_.get(); }
  const T* end() const { return data_.get() + size_; }
  T& operator[](size_t i) { return data_[i]; }
  const T& operator[](size_t i) const { return data_[i]; }
  T& front() { return data_[0]; }
  const T& front() const { return data_[0]; }
  T& back() { return data_[size_ - 1]; }
  const T& back() const { return data_[size_ - 1]; }
  operator std::span<const T>() const { return {data_.get(), size_}; }

  // Room for n elements without moving; the new room is not written.
  // Throws std::bad_alloc when there is no memory for it (nothing changes).
  // realloc lets a large column grow by remapping its pages, not copying.
  void reserve(size_t n) {
    if (n <= capacity_) return;
    if (n > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    void* fresh = std::realloc(data_.get(), n * sizeof(T));
    if (!fresh) throw std::bad_alloc();
    (void)data_.release();
    data_.reset(static_cast<T*>(fresh));
    capacity_ = n;
  }
  void push_back(T v) {
    if (size_ == capacity_) grow(size_ + 1);
    data_[size_++] = v;
  }
  // Adds m elements and returns the first; the caller writes all m.
  T* extend(size_t m) {
    if (capacity_ - size_ < m) grow(size_ + m);
    T* p = data_.get() + size_;
    size_ += m;
    return p;
  }
  void resize(size_t n, T fill = T{}) {
    if (n > size_) {
      const size_t more = n - size_;
      T* p = extend(more);  // may move the values
      std::fill(p, p + more, fill);
    }
    size_ = n;
  }
  void clear() { size_ = 0; }

 private:
  struct Free {
    void operator()(T* p) const { std::free(p); }
  };
  using Storage = std::unique_ptr<T[], Free>;
  void grow(size_t need) { reserve(std::max({need, capacity_ * 2, size_t{16}})); }
  void swap(Column& o) noexcept {
    std::swap(data_, o.data_);
    std::swap(size_, o.size_);
    std::swap(capacity_, o.capacity_);
  }

  Storage data_;
  size_t size_ = 0, capacity_ = 0;
};

namespace column_detail {
template <class T>
bool same(T a, T b) {
  if constexpr (std::is_same_v<T, double>)
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
  else
    return a == b;
}
}  // namespace column_detail

// A read-only view of a column of either kind: the values held, or the rule
// base + step x i. Built from a plain pointer it reads that array.
template <class T>
struct ColumnView {
  const T* held = nullptr;
  T base{}, step{};

  ColumnView() = default;
  ColumnView(const T* values) : held(values) {}  // NOLINT: a plain array is a view
  ColumnView(const T* values, T b, T s) : held(values), base(b), step(s) {}

  T operator[](size_t i) const { return held ? held[i] : rule(base, step, i); }

  static T rule(T base, T step, size_t i) {
    if (i == 0 || step == T{}) return base;
    return static_cast<T>(base + step * static_cast<T>(i));
  }
};

template <class T>
class ImplicitColumn {
  static_assert(std::is_arithmetic_v<T>);

 public:
  size_t size() const { return implicit_ ? size_ : held_.size(); }
  bool empty() const { return size() == 0; }
  // True while no value is held in memory.
  bool implicit() const { return implicit_; }
  T operator[](size_t i) const { return implicit_ ? rule(i) : held_[i]; }
  ColumnView<T> view() const {
    return implicit_ ? ColumnView<T>(nullptr, base_, step_) : ColumnView<T>(held_.data());
  }
  std::vector<T> values() const {
    std::vector<T> v(size());
    for (size_t i = 0; i < v.size(); ++i) v[i] = (*this)[i];
    return v;
  }

  void push_back(T v) {
    if (implicit_) {
      if (size_ == 0 || column_detail::same(rule(size_), v)) {
        if (size_ == 0) base_ = v;
        ++size_;
        return;
      }
      if constexpr (std::is_floating_point_v<T>) {
        // The second value fixes the step when the progression reproduces it.
        const T s = v - base_;
        if (size_ == 1 && std::isfinite(s) && column_detail::same(static_cast<T>(base_ + s), v)) {
          step_ = s;
          ++size_;
          return;
        }
      }
      materialise();
    }
    held_.push_back(v);
  }

  // Appends `count` values first, first + step, first + 2 step, ... Kept
  // implicit when they continue the rule; `step` must be 0 or the values
  // integral (they are then exact).
  void append_run(T first, T step, size_t count) {
    if (count == 0) return;
    if (implicit_ && size_ < 2) {  // the first two values fix the rule
      push_back(first);
      append_run(static_cast<T>(first + step), step, count - 1);
      return;
    }
    if (implicit_) {
      if (column_detail::same(step_, step) && column_detail::same(rule(size_), first)) {
        size_ += count;
        return;
      }
      materialise();
    }
    T* p = held_.extend(count);
    for (size_t k = 0; k < count; ++k) p[k] = ColumnView<T>::rule(first, step, k);
  }

  // Adds m values that the caller writes (the column is written out first).
  T* extend_values(size_t m) {
    materialise();
    return held_.extend(m);
  }

  void set(size_t i, T v) {
    if (implicit_) {
      if (column_detail::same(rule(i), v)) return;
      materialise();
    }
    held_[i] = v;
  }

  void resize(size_t n, T fill) {
    if (implicit_) {
      if (n <= size_) {
        size_ = n;
        if (n < 2) step_ = T{};
        return;
      }
      if (size_ == 0 || (step_ == T{} && column_detail::same(base_, fill))) {
        if (size_ == 0) base_ = fill;
        size_ = n;
        return;
      }
      materialise();
    }
    held_.resize(n, fill);
  }

  // Empty and implicit again; memory held stays reserved for the next use.
  void clear() {
    implicit_ = true;
    size_ = 0;
    base_ = step_ = T{};
    held_.clear();
  }

  // The values as an array (written out first when implicit).
  const T* data() const {
    materialise();
    return held_.data();
  }

  // Reorders the values: value i becomes the old value order[i].
  void permute(std::span<const size_t> order) {
    if (implicit_ && step_ == T{}) return;
    materialise();
    Column<T> old = held_;
    for (size_t i = 0; i < order.size(); ++i) held_[i] = old[order[i]];
  }

  void materialise() const {
    if (!implicit_) return;
    held_.clear();
    held_.reserve(size_);
    T* p = held_.extend(size_);
    for (size_t i = 0; i < size_; ++i) p[i] = rule(i);
    implicit_ = false;
  }

 private:
  T rule(size_t i) const { return ColumnView<T>::rule(base_, step_, i); }

  // Reading a value leaves the column as it is; only data() writes it out,
  // which changes how the values are kept, not what they are.
  mutable Column<T> held_;
  mutable bool implicit_ = true;
  size_t size_ = 0;    // values while implicit
  T base_{}, step_{};  // value i = base + step x i while implicit
};

}  // namespace vexal
