#pragma once

#include <cassert>
#include <cstddef>
#include <initializer_list>
#include <vector>

namespace id {

// The analysis counts points, trend coefficients and table rows from 1; this keeps callers
// free of "- 1" everywhere.
template <typename T> class OneBasedArray {
public:
    OneBasedArray() = default;
    explicit OneBasedArray(int count) : items_(static_cast<std::size_t>(count)) {}
    OneBasedArray(std::initializer_list<T> values) : items_(values) {}

    int size() const { return static_cast<int>(items_.size()); }
    bool empty() const { return items_.empty(); }

    T& operator[](int index) {
        assert(index >= 1 && index <= size());
        return items_[static_cast<std::size_t>(index - 1)];
    }
    const T& operator[](int index) const {
        assert(index >= 1 && index <= size());
        return items_[static_cast<std::size_t>(index - 1)];
    }

    // Resizes and sets every element to T{}.
    void resetTo(int count) { items_.assign(static_cast<std::size_t>(count), T{}); }
    // Resizes keeping the elements that remain in range.
    void resize(int count) { items_.resize(static_cast<std::size_t>(count)); }
    void append(const T& value) { items_.push_back(value); }
    void clear() { items_.clear(); }

    const std::vector<T>& values() const { return items_; }
    std::vector<T>& values() { return items_; }

    bool operator==(const OneBasedArray&) const = default;

private:
    std::vector<T> items_;
};

} // namespace id
