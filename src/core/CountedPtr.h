// Reference-counted smart pointers for the module's shared internal objects.
//
// Two counting modes, chosen by N:
//   N = 0  the count lives in an external block the object knows nothing of.
//          Make a counted pointer from a raw pointer once only; copy the
//          counted pointer after that (a second block would delete twice).
//   N = 1  the object derives from cptr::counted<T> and remembers its block, so
//          a counted pointer can be made again from a raw pointer (for example
//          from `this`) and shares the same count.
//
// Counts change without locking: every user runs on the component's one
// apartment thread.
//
// Contracts worth knowing:
//  - Conversion to a counted pointer of another (base) type is allowed only
//    from a block whose CanConvert is true, i.e. from objects counted with
//    N = 1; otherwise BadCountedPtr is thrown. A null pointer always converts.
//  - Detach hands the raw object back without deleting it, and only when no
//    other counted pointer shares it (BadDetach otherwise, nothing changed).
//  - A counted pointer compares with null; comparing it with any other raw
//    value is a programming error and throws BadCompare.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

namespace cptr {

// The shared count record. Blocks delete themselves (Destroy, TryDetach), so
// nothing ever deletes one through this base.
class counter_block_base {
 public:
  std::uint32_t count = 1;

  // Deletes the counted object and the block itself.
  virtual void Destroy() = 0;
  // Whether a pointer of another type may share this block.
  virtual bool CanConvert() const = 0;
  // Gives the object up without deleting it. Succeeds only when the count is
  // at most 1; then the block is deleted and true returned.
  virtual bool TryDetach() = 0;

 protected:
  counter_block_base() = default;
  counter_block_base(const counter_block_base&) = delete;
  counter_block_base& operator=(const counter_block_base&) = delete;
  ~counter_block_base() = default;
};

template <class T, int N>
class counter_block;

template <class T>
class counted;

// N = 0: external count.
template <class T>
class counter_block<T, 0> final : public counter_block_base {
 public:
  explicit counter_block(T* object) : m_object(object) {}

  void Destroy() override {
    T* object = m_object;
    delete this;
    delete object;
  }
  bool CanConvert() const override { return false; }
  bool TryDetach() override {
    if (count > 1) return false;
    delete this;
    return true;
  }

 private:
  T* m_object;
};

// N = 1: the object links back to its block.
template <class T>
class counter_block<T, 1> final : public counter_block_base {
 public:
  explicit counter_block(T* object) : m_object(object) {}

  void Destroy() override {
    T* object = m_object;
    // The object outlives its block by a moment; it must not find the link.
    object->counted<T>::m_countBlock = nullptr;
    delete this;
    delete object;
  }
  bool CanConvert() const override { return true; }
  bool TryDetach() override {
    if (count > 1) return false;
    m_object->counted<T>::m_countBlock = nullptr;
    delete this;
    return true;
  }

 private:
  T* m_object;
};

// Base of objects counted intrusively (N = 1). Copying such an object makes a
// new object with no count of its own, so the link is never copied.
template <class T>
class counted {
 protected:
  counted() = default;
  counted(const counted&) noexcept {}
  counted& operator=(const counted&) noexcept { return *this; }
  ~counted() = default;

 private:
  friend class counter_block<T, 1>;
  template <class, int>
  friend class counted_ptr_base;

  counter_block<T, 1>* m_countBlock = nullptr;
};

template <class T, int N>
class counted_ptr_base {
 public:
  // Comparison of a counted pointer with a raw value other than null.
  class BadCompare : public std::exception {
   public:
    const char* what() const noexcept override {
      return "counted pointer compared with a non-null raw pointer";
    }
  };
  // Detach while other references exist.
  class BadDetach : public std::exception {
   public:
    const char* what() const noexcept override {
      return "counted pointer detached while other references exist";
    }
  };
  // Conversion to another pointer type from a block that does not allow it.
  class BadCountedPtr : public std::exception {
   public:
    const char* what() const noexcept override {
      return "counted pointer converted from a block that cannot be shared across types";
    }
  };

  T* get() const noexcept { return m_object; }
  T& operator*() const noexcept { return *m_object; }
  T* operator->() const noexcept { return m_object; }
  explicit operator bool() const noexcept { return m_object != nullptr; }
  // Number of counted pointers sharing the object (0 for null).
  std::uint32_t use_count() const noexcept { return m_block ? m_block->count : 0; }

  // Internal access for converting constructors of other instantiations.
  counter_block_base* block() const noexcept { return m_block; }

 protected:
  counted_ptr_base() = default;
  counted_ptr_base(counter_block_base* block, T* object) noexcept
      : m_block(block), m_object(object) {}
  ~counted_ptr_base() = default;

  // The block of an intrusively counted object (found through its counted<X>
  // base), made on first use; the caller gets one more reference.
  template <class X, class U>
  static counter_block_base* ShareBlock(counted<X>* link, U* object) {
    if (link->m_countBlock) {
      ++link->m_countBlock->count;
    } else {
      link->m_countBlock = new counter_block<X, 1>(static_cast<X*>(object));
    }
    return link->m_countBlock;
  }

  void Release() noexcept {
    counter_block_base* block = m_block;
    m_block = nullptr;
    m_object = nullptr;
    if (block && --block->count == 0) block->Destroy();
  }

  counter_block_base* m_block = nullptr;
  T* m_object = nullptr;
};

template <class T, int N = 0>
class counted_ptr : public counted_ptr_base<T, N> {
  static_assert(N == 0 || N == 1, "counted_ptr counts externally (0) or intrusively (1)");
  using base = counted_ptr_base<T, N>;

 public:
  using element_type = T;
  using typename base::BadCompare;
  using typename base::BadCountedPtr;
  using typename base::BadDetach;

  counted_ptr() noexcept = default;
  counted_ptr(std::nullptr_t) noexcept {}

  // Takes ownership of a raw object: a new block with count 1 (N = 0), or the
  // object's existing block shared (N = 1).
  template <class U>
  requires std::is_convertible_v<U*, T*>
  explicit counted_ptr(U* object) {
    if (!object) return;
    if constexpr (N == 0) {
      try {
        this->m_block = new counter_block<U, 0>(object);
      } catch (...) {
        delete object;
        throw;
      }
    } else {
      this->m_block = base::ShareBlock(object, object);
    }
    this->m_object = object;
  }

  counted_ptr(const counted_ptr& other) noexcept : base(other.m_block, other.m_object) {
    if (this->m_block) ++this->m_block->count;
  }
  counted_ptr(counted_ptr&& other) noexcept : base(other.m_block, other.m_object) {
    other.m_block = nullptr;
    other.m_object = nullptr;
  }

  // Conversion from a counted pointer of another type (usually a derived
  // class). Only blocks that allow it may be shared.
  template <class U, int M>
  requires(std::is_convertible_v<U*, T*> && !(std::is_same_v<U, T> && M == N))
      counted_ptr(const counted_ptr<U, M>& other) {
    counter_block_base* block = other.block();
    if (!block) return;
    if (!block->CanConvert()) throw BadCountedPtr();
    ++block->count;
    this->m_block = block;
    this->m_object = other.get();
  }

  ~counted_ptr() { this->Release(); }

  counted_ptr& operator=(counted_ptr other) noexcept {
    swap(other);
    return *this;
  }

  void swap(counted_ptr& other) noexcept {
    std::swap(this->m_block, other.m_block);
    std::swap(this->m_object, other.m_object);
  }

  void reset() noexcept { this->Release(); }
  template <class U>
  requires std::is_convertible_v<U*, T*>
  void reset(U* object) { counted_ptr(object).swap(*this); }

  // Returns the object and empties this pointer without deleting the object.
  // Throws BadDetach, changing nothing, while other references exist.
  T* Detach() {
    if (!this->m_block) return nullptr;
    if (!this->m_block->TryDetach()) throw BadDetach();
    T* object = this->m_object;
    this->m_block = nullptr;
    this->m_object = nullptr;
    return object;
  }

  bool operator==(std::nullptr_t) const noexcept { return this->m_object == nullptr; }
  // Comparison with raw values: only null is meaningful.
  template <class P>
  requires std::is_pointer_v<P>
  bool operator==(P raw) const {
    if (raw != nullptr) throw BadCompare();
    return this->m_object == nullptr;
  }
  template <class U, int M>
  bool operator==(const counted_ptr<U, M>& other) const noexcept {
    return this->m_object == other.get();
  }
  template <class U, int M>
  bool operator<(const counted_ptr<U, M>& other) const noexcept {
    return std::less<const void*>()(this->m_object, other.get());
  }
};

template <class T, int N>
void swap(counted_ptr<T, N>& a, counted_ptr<T, N>& b) noexcept {
  a.swap(b);
}

}  // namespace cptr

namespace std {
template <class T, int N>
struct hash<cptr::counted_ptr<T, N>> {
  size_t operator()(const cptr::counted_ptr<T, N>& p) const noexcept {
    return hash<const void*>()(p.get());
  }
};
}  // namespace std
