// Owner of one COM interface pointer: released when it goes out of scope.
#pragma once
#include <objbase.h>

namespace com {

template <typename Interface>
class Ptr {
 public:
  Ptr() = default;
  Ptr(const Ptr&) = delete;
  Ptr& operator=(const Ptr&) = delete;
  ~Ptr() { Reset(); }

  Interface* Get() const { return pointer_; }
  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // Where a creating call stores the new pointer (as the void** that COM calls take).
  void** Receive() {
    Reset();
    return reinterpret_cast<void**>(&pointer_);
  }
  void Reset() {
    if (pointer_) pointer_->Release();
    pointer_ = nullptr;
  }

 private:
  Interface* pointer_ = nullptr;
};

}  // namespace com
