// An array whose memory is asked for, not assumed: growing it says whether
// the memory was there, where a standard container would end the program
// (setup.exe runs without exceptions). The logo reader keeps everything it
// allocates in these, so that a logo without memory is left out instead.
// Elements are plain data, moved as bytes; new ones are all zero bytes.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <utility>

template <class T> class TCheckedArray {
    static_assert(std::is_trivially_copyable_v<T>, "elements are moved as bytes");

  public:
    TCheckedArray() = default;
    TCheckedArray(TCheckedArray&& other) noexcept { Swap(other); }
    TCheckedArray& operator=(TCheckedArray&& other) noexcept {
        TCheckedArray(std::move(other)).Swap(*this);
        return *this;
    }
    ~TCheckedArray() { std::free(Items_); }

    // `count` elements, all zero; false (and the array as it was) when the
    // memory is not there.
    bool Assign(size_t count) {
        if (count > kMaxCount) return false;
        T* items = static_cast<T*>(std::calloc(count ? count : 1, sizeof(T)));
        if (!items) return false;
        std::free(Items_);
        Items_ = items;
        Size_ = Capacity_ = count;
        return true;
    }

    // Adds `count` elements at the end; false (and the array as it was) when
    // the memory is not there.
    bool Append(const T* items, size_t count) {
        if (count > kMaxCount - Size_) return false;
        if (Size_ + count > Capacity_) {
            // Twice the room, so that many small additions copy little.
            size_t capacity = Capacity_ > kMaxCount / 2 ? kMaxCount : Capacity_ * 2;
            if (capacity < Size_ + count) capacity = Size_ + count;
            T* grown = static_cast<T*>(std::realloc(Items_, capacity ? capacity * sizeof(T) : 1));
            if (!grown) return false;
            Items_ = grown;
            Capacity_ = capacity;
        }
        if (count) std::memcpy(Items_ + Size_, items, count * sizeof(T));
        Size_ += count;
        return true;
    }
    bool Append(const T& item) { return Append(&item, 1); }

    size_t size() const { return Size_; }
    bool empty() const { return Size_ == 0; }
    T* data() { return Items_; }
    const T* data() const { return Items_; }
    T& operator[](size_t i) { return Items_[i]; }
    const T& operator[](size_t i) const { return Items_[i]; }
    T* begin() { return Items_; }
    T* end() { return Items_ + Size_; }
    const T* begin() const { return Items_; }
    const T* end() const { return Items_ + Size_; }
    void swap(TCheckedArray& other) noexcept { Swap(other); }

    bool operator==(const TCheckedArray& other) const {
        return Size_ == other.Size_ &&
               (Size_ == 0 || std::memcmp(Items_, other.Items_, Size_ * sizeof(T)) == 0);
    }
    bool operator!=(const TCheckedArray& other) const { return !(*this == other); }

  private:
    static constexpr size_t kMaxCount = size_t(-1) / 2 / sizeof(T);

    void Swap(TCheckedArray& other) noexcept {
        std::swap(Items_, other.Items_);
        std::swap(Size_, other.Size_);
        std::swap(Capacity_, other.Capacity_);
    }

    T* Items_ = nullptr;
    size_t Size_ = 0, Capacity_ = 0;
};
