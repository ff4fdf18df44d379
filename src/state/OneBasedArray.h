#pragma once

#include <cassert>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <vector>

namespace id {

// The analysis counts points, trend coefficients and table rows from 1; this keeps callers
// free of "- 1" everywhere. Copies share their elements until one of them changes: the analysis
// is copied for every command and every undo step, and its arrays can hold 100 000 points.
template <typename T> class OneBasedArray {
public:
    OneBasedArray() = default;
    explicit OneBasedArray(int count)
        : items_(std::make_shared<std::vector<T>>(static_cast<std::size_t>(count))) {}
    OneBasedArray(std::initializer_list<T> values)
        : items_(std::make_shared<std::vector<T>>(values)) {}

    int size() const { return items_ ? static_cast<int>(items_->size()) : 0; }
    bool empty() const { return size() == 0; }

    T& operator[](int index) {
        assert(index >= 1 && index <= size());
        return own()[static_cast<std::size_t>(index - 1)];
    }
    const T& operator[](int index) const {
        assert(index >= 1 && index <= size());
        return (*items_)[static_cast<std::size_t>(index - 1)];
    }

    // Resizes and sets every element to T{}.
    void resetTo(int count) { own().assign(static_cast<std::size_t>(count), T{}); }
    // Resizes keeping the elements that remain in range.
    void resize(int count) {
        if (count != size())
            own().resize(static_cast<std::size_t>(count));
    }
    void append(const T& value) { own().push_back(value); }
    void clear() { items_.reset(); }

    const std::vector<T>& values() const { return items_ ? *items_ : none(); }
    std::vector<T>& values() { return own(); }

    bool operator==(const OneBasedArray& other) const {
        return items_ == other.items_ || values() == other.values();
    }

private:
    // The elements, made this array's own before a change.
    std::vector<T>& own() {
        if (!items_)
            items_ = std::make_shared<std::vector<T>>();
        else if (items_.use_count() > 1)
            items_ = std::make_shared<std::vector<T>>(*items_);
        return *items_;
    }
    static const std::vector<T>& none() {
        static const std::vector<T> empty;
        return empty;
    }

    std::shared_ptr<std::vector<T>> items_;
};

} // namespace id
