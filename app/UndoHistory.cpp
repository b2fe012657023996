#include "app/UndoHistory.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "imagelib/vuImage.h"

bool ImageSnapshot::Take(const vuImage& image) {
  if (!image.header || !image.bits) return false;
  const auto* start = reinterpret_cast<const uint8_t*>(image.header);
  const size_t tableEnd = static_cast<size_t>(image.bits - start);
  // The rows and the spare row the accessors keep after them.
  const size_t size = tableEnd + size_t(image.Stride()) * (size_t(image.Height()) + 1);
  try {
    block_.assign(start, start + size);
  } catch (const std::bad_alloc&) {
    block_.clear();
    return false;
  }
  tableBytes_ = tableEnd - sizeof(vuBitmapInfoHeader);
  format_ = image.format;
  dataSize_ = image.dataSize;
  sampleBits_ = image.sampleBits;
  return true;
}

bool ImageSnapshot::Restore(vuImage& image) const {
  if (block_.empty()) return false;
  // The block is released with the allocator the image's own blocks come from.
  auto* copy = static_cast<uint8_t*>(std::malloc(block_.size()));
  if (!copy) return false;
  std::memcpy(copy, block_.data(), block_.size());
  vuImage temporary;
  temporary.header = reinterpret_cast<vuBitmapInfoHeader*>(copy);
  temporary.palette = reinterpret_cast<vuRGBA*>(copy + sizeof(vuBitmapInfoHeader));
  temporary.bits = copy + sizeof(vuBitmapInfoHeader) + tableBytes_;
  temporary.format = format_;
  image.Adopt(temporary);
  image.dataSize = dataSize_;
  image.sampleBits = sampleBits_;
  return true;
}

void UndoHistory::Record(const vuImage& before) {
  redo_.clear();
  Step step{ImageSnapshot(), state_};
  state_ = nextState_++;
  if (!step.picture.Take(before) || step.picture.Bytes() > budget_) {
    undo_.clear();
    return;
  }
  undo_.push_back(std::move(step));
  Trim();
}

void UndoHistory::Forget() {
  if (undo_.empty()) return;
  state_ = undo_.back().state;
  undo_.pop_back();
}

bool UndoHistory::Undo(vuImage& image) {
  return Move(undo_, redo_, image);
}

bool UndoHistory::Redo(vuImage& image) {
  return Move(redo_, undo_, image);
}

bool UndoHistory::Move(std::deque<Step>& from, std::deque<Step>& to, vuImage& image) {
  if (from.empty()) return false;
  Step now{ImageSnapshot(), state_};
  if (!now.picture.Take(image)) return false;
  if (!from.back().picture.Restore(image)) return false;
  state_ = from.back().state;
  from.pop_back();
  to.push_back(std::move(now));
  Trim();
  return true;
}

size_t UndoHistory::Bytes() const {
  size_t total = 0;
  for (const Step& step : undo_)
    total += step.picture.Bytes();
  for (const Step& step : redo_)
    total += step.picture.Bytes();
  return total;
}

void UndoHistory::Trim() {
  // The oldest undo steps go first, then the farthest redo steps.
  while (Bytes() > budget_ && !undo_.empty())
    undo_.pop_front();
  while (Bytes() > budget_ && !redo_.empty())
    redo_.pop_front();
}
