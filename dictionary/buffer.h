// Arrays for the large tables of a dictionary (millions of lines and words): memory is taken as
// the system gives it, either left as it is, for an array that is written before it is read, or
// zeroed by the system (calloc), which for fresh pages costs nothing. A std::vector clears every
// element first, and for a table of a hundred megabytes that is a pause of its own.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <type_traits>
#include <utility>

namespace dictionary {

template <typename T>
class Buffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    Buffer() = default;
    static Buffer Zeroed(size_t n) { return Buffer(n, std::calloc(n ? n : 1, sizeof(T))); }
    static Buffer Unset(size_t n) { return Buffer(n, std::malloc((n ? n : 1) * sizeof(T))); }
    Buffer(Buffer&& other) noexcept { swap(other); }
    Buffer& operator=(Buffer&& other) noexcept {
        Buffer(std::move(other)).swap(*this);
        return *this;
    }
    ~Buffer() { std::free(data_); }

    T& operator[](size_t i) { return data_[i]; }
    const T& operator[](size_t i) const { return data_[i]; }
    T* data() { return data_; }
    const T* data() const { return data_; }
    T* begin() { return data_; }
    T* end() { return data_ + size_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    void swap(Buffer& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
    }

private:
    Buffer(size_t n, void* memory) : data_(static_cast<T*>(memory)), size_(n) {
        if (!data_) throw std::bad_alloc();
    }
    T* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace dictionary
