// The batch conversion dialog without its window: the folder list of the current input folder,
// the input list with each entry's state, the output folder, type and options, and the run that
// loads, converts and saves every listed file on a worker thread, stoppable after each file.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "imagelib/vuImageOwner.h"

class vuRWImage;

// Icons of the folder list.
enum BatchFolderIcon : int {
  BATCH_ICON_FOLDER = 0,
  BATCH_ICON_PARENT = 2,
  BATCH_ICON_DRIVE_FIRST = 3, // 3 + the drive's type
  BATCH_ICON_DRIVE_LAST = 9,
  BATCH_ICON_BMP = 10,
  BATCH_ICON_GIF = 11,
  BATCH_ICON_JPEG = 12,
  BATCH_ICON_PCX = 13,
  BATCH_ICON_PGM = 14,
  BATCH_ICON_PPM = 15,
  BATCH_ICON_TARGA = 16,
  BATCH_ICON_TIFF = 17,
  BATCH_ICON_WIF = 18,
  BATCH_ICON_PNG = 19,
};

// States of an input-list entry.
enum BatchState : int {
  BATCH_WAITING = 0,
  BATCH_WORKING = 1, // loading or saving; stays after a failure
  BATCH_SAVED = 2,
  BATCH_CONVERTING = 6, // changing the pixel format
};

// Drive types, numbered as the system's drive list numbers them.
enum BatchDriveType : int {
  BATCH_DRIVE_UNKNOWN = 0,
  BATCH_DRIVE_REMOVABLE = 2,
  BATCH_DRIVE_FIXED = 3,
  BATCH_DRIVE_REMOTE = 4,
  BATCH_DRIVE_OPTICAL = 5,
  BATCH_DRIVE_RAM = 6,
};

struct BatchDrive {
  std::string root;
  std::string label;
  int type = BATCH_DRIVE_FIXED;
};

struct BatchFolderItem {
  std::string text;
  int icon = BATCH_ICON_FOLDER;
  std::string path; // the folder, drive root or file the item stands for
  bool IsImage() const { return icon >= BATCH_ICON_BMP; }
  bool IsDrive() const { return icon >= BATCH_ICON_DRIVE_FIRST && icon <= BATCH_ICON_DRIVE_LAST; }
};

struct BatchEntry {
  std::string path;
  int state = BATCH_WAITING;
  std::string problem; // why the last run could not convert it; empty when it did or has not run
};

// What the folder list and the run need of the pixel formats.
enum class BatchConversion { None, MakeGS, MakeRGB };
// The conversion the output type asks of a source format.
BatchConversion BatchConversionFor(vuBMFormat format, int outputType);
// Converts an image for an output type: the conversion above, then, when the writer still cannot
// store the format, grey images to 8-bit grey and all others to 24-bit colour. True when the
// image was changed.
bool ConvertForOutput(vuImage& image, int outputType);

class BatchModel {
public:
  BatchModel();
  // Stops a run after its current file and waits for it.
  ~BatchModel();
  BatchModel(const BatchModel&) = delete;
  BatchModel& operator=(const BatchModel&) = delete;

  // The two drop-downs, sorted as shown.
  static const std::vector<std::string>& InputFilters();
  static const std::vector<std::string>& OutputTypeNames();
  // The file type of an input filter (0 for the two that list every image) and of an output name;
  // -1 for a name not in the list.
  static int FilterType(const std::string& filter);
  static int OutputTypeOf(const std::string& name);
  static std::string OutputTypeName(int type);
  // ".wif", ".bmp" ...; empty for an unknown type.
  static std::string OutputExtension(int type);
  // The folder-list icon of a detected file type; -1 for types the list does not show.
  static int IconForType(int type);

  // --- The folder list.
  // The mounted file systems shown when the input folder is empty; replaceable for tests.
  std::function<std::vector<BatchDrive>()> drives;
  static std::vector<BatchDrive> MountedDrives();

  const std::string& InputFolder() const { return inputFolder_; }
  // Sets the folder (a trailing "/" is dropped, except from "/") and refills the list. False when
  // the folder cannot be read; the list then holds only the parent entry.
  bool SetInputFolder(const std::string& folder);
  const std::string& InputFilter() const { return inputFilter_; }
  bool SetInputFilter(const std::string& filter);
  bool Refill();
  const std::vector<BatchFolderItem>& FolderItems() const { return folderItems_; }
  // Goes to the parent folder; stays at "/"; a folder without any "/" gives the drive list.
  void UpFolder();
  // A double click: by the first selected item, opens the parent, a folder or a drive, or adds
  // an image to the input list.
  void Activate(const std::vector<int>& selected);

  // --- The input list. Editing is refused while a run is going.
  // Adds the selected (or all) image items unless listed already; the number added.
  int Add(const std::vector<int>& selected);
  int AddAll();
  // Adds one file by its path, as Add does for an item.
  bool AddFile(const std::string& path);
  void Remove(const std::vector<int>& selected);
  void RemoveAll();
  bool RemoveButtonsVisible() const;
  size_t EntryCount() const;
  BatchEntry Entry(size_t index) const;
  std::vector<BatchEntry> Entries() const;

  // The image-information texts of the selected image items, one message each.
  std::vector<std::string> ImageInformation(const std::vector<int>& selected) const;
  static std::string ImageInformationText(const std::string& path);

  // --- The output.
  const std::string& OutputFolder() const { return outputFolder_; }
  void SetOutputFolder(const std::string& folder);
  int OutputType() const { return outputType_; }
  // Creates the type's writer and drops any options record. False for an unknown type.
  bool SetOutputType(int type);
  bool OptionsButtonVisible() const;
  // Asks the writer for its options (the save-options dialog, without "View after compress").
  void FetchOptions();
  bool OptionsFetched() const { return optionsFetched_; }
  // The options chosen; null when none were (the run then uses the defaults).
  const void* Options() const { return options_.get(); }
  // Where an entry is written: the output folder, its name up to the last dot, the extension.
  std::string OutputPath(const std::string& entry) const;
  // The WIF default quality of runs without chosen options.
  int defaultQuality = 50;

  // --- The run.
  // Convert / Compress: while running, asks the run to stop after the current file. Otherwise
  // fetches the options if not yet done and starts the run on a worker thread (from the entries
  // still waiting when resuming, from all of them otherwise). False when nothing started (the
  // output folder is missing: the user was told).
  bool ConvertOrStop();
  void RequestStop() { stopRequested_ = true; }
  bool Running() const { return running_; }
  bool StopRequested() const { return stopRequested_; }
  bool Resuming() const { return resume_; }
  // Waits for the worker to end (after it reported the end, this returns at once).
  void Wait();
  // Called on the worker thread: after an entry's state changed, and once when the run ended.
  std::function<void(size_t)> onEntryChanged;
  std::function<void()> onFinished;

private:
  struct WriterDeleter {
    void operator()(vuRWImage* writer) const;
  };
  struct OptionsDeleter {
    vuRWImage* writer = nullptr;
    void operator()(void* options) const;
  };
  void Run();
  void ConvertEntry(size_t index);
  void SetState(size_t index, int state, const std::string& problem = std::string());
  std::vector<int> ImageItems(const std::vector<int>& selected) const;

  std::string inputFolder_;
  std::string inputFilter_ = "All Images Types";
  std::vector<BatchFolderItem> folderItems_;

  mutable std::mutex entriesMutex_;
  std::vector<BatchEntry> entries_;

  std::string outputFolder_;
  int outputType_ = 0;
  // The writers' bound image: a 1 x 1 colour picture, so that an options dialog that looks at the
  // image it is asked for finds one (the files of a run may have any format).
  vuImageOwner writerImage_;
  std::unique_ptr<vuRWImage, WriterDeleter> writer_;
  std::unique_ptr<void, OptionsDeleter> options_;
  bool optionsFetched_ = false;

  std::thread worker_;
  std::atomic<bool> running_{false};
  std::atomic<bool> stopRequested_{false};
  std::atomic<bool> resume_{false};
};
