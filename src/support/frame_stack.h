// A stack kept in the frame of the walk that uses it: the first entries live in the record
// itself, more go to the C heap, given back when the walk returns or a stop unwinds through it.
// Walks over trees, supertype graphs and lists of any length use one in place of recursion.
#pragma once

#include <cstddef>
#include <cstdint>

template <class T, int32_t Inline = 32>
class FrameStack {
 public:
  FrameStack() = default;
  FrameStack(const FrameStack&) = delete;
  FrameStack& operator=(const FrameStack&) = delete;
  ~FrameStack() {
    if (items_ != inline_) delete[] items_;
  }

  bool empty() const { return size_ == 0; }
  int32_t size() const { return size_; }
  T& top() { return items_[size_ - 1]; }
  T& operator[](int32_t i) { return items_[i]; }
  const T& operator[](int32_t i) const { return items_[i]; }
  void pop() { size_--; }
  void clear() { size_ = 0; }
  void truncate(int32_t size) { size_ = size; }

  void push(const T& item) {
    if (size_ == capacity_) {
      T* grown = new T[static_cast<size_t>(capacity_) * 2];
      for (int32_t i = 0; i < size_; i++) grown[i] = items_[i];
      if (items_ != inline_) delete[] items_;
      items_ = grown;
      capacity_ *= 2;
    }
    items_[size_++] = item;
  }

 private:
  T inline_[Inline];
  T* items_ = inline_;
  int32_t size_ = 0;
  int32_t capacity_ = Inline;
};
