#pragma once
// A block made the first time it is read. The loader's copies of a picture are seldom used,
// so they are kept as the recipe that rebuilds them from the file's bytes, not as blocks.

#include <functional>
#include <utility>

#include "base/block.h"

namespace kestrel {

class LazyBlock {
 public:
  LazyBlock() = default;
  LazyBlock(Block block) : block_(std::move(block)) {}  // implicit: a block already made
  explicit LazyBlock(std::function<Block()> make) : make_(std::move(make)) {}

  explicit operator bool() const { return block_ || make_; }
  // The block, made now when it has not been made yet; none for none.
  const Block& Get() const {
    if (make_) {
      block_ = make_();
      make_ = nullptr;
    }
    return block_;
  }
  Bytes& operator*() const { return *Get(); }
  Bytes* operator->() const { return Get().get(); }
  void reset() {
    block_.reset();
    make_ = nullptr;
  }

 private:
  mutable Block block_;
  mutable std::function<Block()> make_;
};

}  // namespace kestrel
