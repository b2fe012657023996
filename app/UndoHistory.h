// The pictures an image had before its recent changes, for Undo and Redo. Whole pictures are kept
// (the tools change every pixel anyway), within a memory budget: the oldest steps go first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "imagelib/vuTypes.h"

class vuImage;

// A copy of an image's bitmap block (header, colour table, rows) with its format and the facts
// kept beside the block.
class ImageSnapshot {
public:
  // Copies the picture; false when the image holds none or memory is short.
  bool Take(const vuImage& image);
  // Puts the copied picture back into `image` (its display copy and palette are dropped: the
  // caller prepares the display again). False when memory is short; the image is then unchanged.
  bool Restore(vuImage& image) const;
  size_t Bytes() const { return block_.size(); }

private:
  std::vector<uint8_t> block_;
  size_t tableBytes_ = 0;
  vuBMFormat format_ = BM_24BIT;
  int32_t dataSize_ = 0;
  int32_t sampleBits_ = 0;
};

class UndoHistory {
public:
  static constexpr size_t kDefaultBudget = size_t(256) << 20;
  explicit UndoHistory(size_t budgetBytes = kDefaultBudget) : budget_(budgetBytes) {}

  // Before a change: keeps the picture as it is. A picture larger than the whole budget (or no
  // memory for it) cannot be kept: the history before it is then forgotten too, since undoing
  // would skip this change.
  void Record(const vuImage& before);
  // The change recorded last did not happen after all: forget its step.
  void Forget();
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // Back one step (or forward again); false when there is none or memory is short.
  bool Undo(vuImage& image);
  bool Redo(vuImage& image);

  // The picture now is the one in the file; AtSavedState says whether undo or redo came back
  // to it.
  void MarkSaved() { savedState_ = state_; }
  bool AtSavedState() const { return state_ == savedState_; }
  size_t Bytes() const;
  size_t Steps() const { return undo_.size(); }

private:
  struct Step {
    ImageSnapshot picture;
    uint64_t state;
  };
  bool Move(std::deque<Step>& from, std::deque<Step>& to, vuImage& image);
  void Trim();

  size_t budget_;
  std::deque<Step> undo_;
  std::deque<Step> redo_;
  uint64_t state_ = 0;
  uint64_t nextState_ = 1;
  uint64_t savedState_ = 0;
};
