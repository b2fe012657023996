#include "app/BatchModel.h"

#include <QStorageInfo>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <strings.h>

#include "app/CTOVRAApp.h"
#include "codec/wif2/vuWifParams.h"
#include "formats/JpegRW.h"
#include "formats/vuRegistry.h"
#include "imagelib/vuImageOwner.h"

namespace fs = std::filesystem;

namespace {

struct NamedType {
  const char* name;
  int type;
};

// Sorted as the drop-downs show them. The two that list every detected image have type 0.
const std::vector<NamedType> kInputFilters = {{"All Files", 0}, {"All Images Types", 0},
                                              {"BMP", 2},       {"GIF", 11},
                                              {"JPEG", 12},     {"PCX", 3},
                                              {"PGM", 5},       {"PNG", 13},
                                              {"PPM", 4},       {"TGA", 8},
                                              {"TIFF", 7},      {"WIF,VUW", 1}};
const std::vector<NamedType> kOutputTypes = {{"BMP", 2}, {"JPEG", 12}, {"PCX", 3},
                                             {"PGM", 5}, {"PNG", 13},  {"PPM", 4},
                                             {"TGA", 8}, {"TIFF", 7},  {"WIF", 1}};

std::vector<std::string> Names(const std::vector<NamedType>& list) {
  std::vector<std::string> names;
  for (const NamedType& entry : list)
    names.push_back(entry.name);
  return names;
}

int TypeOf(const std::vector<NamedType>& list, const std::string& name) {
  for (const NamedType& entry : list)
    if (name == entry.name) return entry.type;
  return -1;
}

bool WriterStores(vuBMFormat format, int type) {
  std::vector<int> types = vuSaveTypesFor(format);
  return std::find(types.begin(), types.end(), type) != types.end();
}

// Grey formats, and palette images whose colours are all grey (a black and white bitmap, say).
bool ShowsGrey(const vuImage& image) {
  if (image.format == BM_8BIT_GRAY || image.format == BM_16BIT_GRAY) return true;
  int entries = image.TableEntries();
  for (int i = 0; i < entries; ++i) {
    const vuRGBA& c = image.palette[i];
    if (c.red != c.green || c.green != c.blue) return false;
  }
  return entries > 0;
}

std::string FileName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool LessIgnoringCase(const BatchFolderItem& a, const BatchFolderItem& b) {
  int order = strcasecmp(a.text.c_str(), b.text.c_str());
  return order != 0 ? order < 0 : a.text < b.text;
}

std::string LoadProblem(int result) {
  switch (result) {
  case -1:
    return "The file cannot be opened or is not an image type the program reads.";
  case -2:
    return "The file is damaged or not valid for its type.";
  case -3:
    return "The image cannot be decoded (an unsupported variant, or out of memory).";
  default:
    return "The image cannot be read.";
  }
}

std::string SaveProblem(int result) {
  if (result == -3) return "No writer is available for this file type.";
  return "The file could not be written (check that the folder is writable and has room).";
}

} // namespace

BatchConversion BatchConversionFor(vuBMFormat format, int outputType) {
  using C = BatchConversion;
  switch (outputType) {
  case VU_TYPE_WIF:
    return format == BM_1BIT ? C::MakeGS : format == BM_8BIT_COLOR ? C::MakeRGB : C::None;
  case VU_TYPE_BMP:
    return format == BM_1BIT ? C::MakeGS : C::None;
  case VU_TYPE_PPM:
    return format == BM_24BIT ? C::None : C::MakeRGB;
  case VU_TYPE_PGM:
    return format == BM_8BIT_GRAY ? C::None : C::MakeGS;
  case VU_TYPE_JPEG:
    if (format == BM_1BIT || format == BM_16BIT_GRAY) return C::MakeGS;
    return format == BM_8BIT_COLOR || format == BM_48BIT ? C::MakeRGB : C::None;
  default:
    return C::None;
  }
}

namespace {
// Whether a conversion will run, so that the entry can show it beforehand.
bool NeedsConversion(vuBMFormat format, int outputType) {
  return BatchConversionFor(format, outputType) != BatchConversion::None ||
         !WriterStores(format, outputType);
}
} // namespace

bool ConvertForOutput(vuImage& image, int outputType) {
  if (!image.header) return false;
  vuBMFormat before = image.format;
  switch (BatchConversionFor(image.format, outputType)) {
  case BatchConversion::MakeGS:
    image.MakeGS();
    break;
  case BatchConversion::MakeRGB:
    image.MakeRGB();
    break;
  case BatchConversion::None:
    break;
  }
  // Formats the table leaves as they are but the writer cannot store (16-bit samples to BMP,
  // 1-bit to PCX ...) would only fail to save: give them the nearest format the writer takes.
  if (!WriterStores(image.format, outputType)) {
    if (ShowsGrey(image))
      image.MakeGS();
    else
      image.MakeRGB();
  }
  return image.format != before;
}

void BatchModel::WriterDeleter::operator()(vuRWImage* writer) const {
  delete writer;
}

void BatchModel::OptionsDeleter::operator()(void* options) const {
  if (writer && options) writer->FreeOutOptions(options);
}

BatchModel::BatchModel() : drives(&BatchModel::MountedDrives), options_(nullptr, OptionsDeleter{}) {
  writerImage_.AllocateBitmap(1, 1, 0, BM_24BIT);
}

BatchModel::~BatchModel() {
  RequestStop();
  Wait();
  options_.reset();
}

const std::vector<std::string>& BatchModel::InputFilters() {
  static const std::vector<std::string> names = Names(kInputFilters);
  return names;
}

const std::vector<std::string>& BatchModel::OutputTypeNames() {
  static const std::vector<std::string> names = Names(kOutputTypes);
  return names;
}

int BatchModel::FilterType(const std::string& filter) {
  return TypeOf(kInputFilters, filter);
}

int BatchModel::OutputTypeOf(const std::string& name) {
  return TypeOf(kOutputTypes, name);
}

std::string BatchModel::OutputTypeName(int type) {
  for (const NamedType& entry : kOutputTypes)
    if (entry.type == type) return entry.name;
  return std::string();
}

std::string BatchModel::OutputExtension(int type) {
  return vuTypeExtension(type);
}

int BatchModel::IconForType(int type) {
  switch (type) {
  case VU_TYPE_WIF:
    return BATCH_ICON_WIF;
  case VU_TYPE_BMP:
    return BATCH_ICON_BMP;
  case VU_TYPE_GIF:
    return BATCH_ICON_GIF;
  case VU_TYPE_JPEG:
    return BATCH_ICON_JPEG;
  case VU_TYPE_PCX:
    return BATCH_ICON_PCX;
  case VU_TYPE_PGM:
    return BATCH_ICON_PGM;
  case VU_TYPE_PPM:
    return BATCH_ICON_PPM;
  case VU_TYPE_TARGA:
    return BATCH_ICON_TARGA;
  case VU_TYPE_TIFF:
    return BATCH_ICON_TIFF;
  case VU_TYPE_PNG:
    return BATCH_ICON_PNG;
  default:
    return -1;
  }
}

std::vector<BatchDrive> BatchModel::MountedDrives() {
  std::vector<BatchDrive> found;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    BatchDrive drive;
    drive.root = volume.rootPath().toStdString();
    drive.label = volume.name().toStdString();
    QString system = QString::fromLatin1(volume.fileSystemType()).toLower();
    if (system == "iso9660" || system == "udf")
      drive.type = BATCH_DRIVE_OPTICAL;
    else if (system.startsWith("nfs") || system == "cifs" || system == "smb3" ||
             system.contains("sshfs"))
      drive.type = BATCH_DRIVE_REMOTE;
    else if (system == "tmpfs" || system == "ramfs")
      drive.type = BATCH_DRIVE_RAM;
    else if (volume.rootPath().startsWith("/media/") || volume.rootPath().startsWith("/run/media/"))
      drive.type = BATCH_DRIVE_REMOVABLE;
    else
      drive.type = BATCH_DRIVE_FIXED;
    // A drive without a label is named by its file system (media as removable media).
    if (drive.label.empty() || drive.label == " ") {
      bool media = drive.type == BATCH_DRIVE_OPTICAL || drive.type == BATCH_DRIVE_REMOVABLE;
      drive.label = media ? "Removeable Media" : system.toStdString();
    }
    found.push_back(drive);
  }
  std::sort(found.begin(), found.end(),
            [](const BatchDrive& a, const BatchDrive& b) { return a.root < b.root; });
  return found;
}

bool BatchModel::SetInputFolder(const std::string& folder) {
  std::string cleaned = folder;
  while (cleaned.size() > 1 && cleaned.back() == '/')
    cleaned.pop_back();
  inputFolder_ = cleaned;
  return Refill();
}

bool BatchModel::SetInputFilter(const std::string& filter) {
  if (FilterType(filter) < 0) return false;
  inputFilter_ = filter;
  Refill();
  return true;
}

bool BatchModel::Refill() {
  folderItems_.clear();
  if (inputFolder_.empty()) {
    for (const BatchDrive& drive : drives ? drives() : std::vector<BatchDrive>()) {
      int type = std::clamp(drive.type, 0, BATCH_ICON_DRIVE_LAST - BATCH_ICON_DRIVE_FIRST);
      folderItems_.push_back(
          {drive.root + " (" + drive.label + ")", BATCH_ICON_DRIVE_FIRST + type, drive.root});
    }
    return true;
  }
  // Even "/" has a parent entry: it leads to the drive list.
  folderItems_.push_back({"..", BATCH_ICON_PARENT, std::string()});
  std::error_code error;
  fs::directory_iterator listing(inputFolder_, fs::directory_options::skip_permission_denied,
                                 error);
  if (error) return false;
  int wanted = FilterType(inputFilter_);
  std::vector<BatchFolderItem> folders, images;
  vuImage probe;
  for (const fs::directory_entry& entry : listing) {
    std::string name = entry.path().filename().string();
    if (name.empty() || name[0] == '.') continue; // hidden, as the file manager hides them
    std::error_code ignored;
    std::string path = Join(inputFolder_, name);
    if (entry.is_directory(ignored)) {
      folders.push_back({name, BATCH_ICON_FOLDER, path});
      continue;
    }
    // Only regular files are opened: a pipe or device would block the window.
    if (!entry.is_regular_file(ignored)) continue;
    int type = probe.GetFileType(path.c_str());
    if (type <= 0 || (wanted > 0 && type != wanted)) continue;
    int icon = IconForType(type);
    if (icon >= 0) images.push_back({name, icon, path});
  }
  std::sort(folders.begin(), folders.end(), LessIgnoringCase);
  std::sort(images.begin(), images.end(), LessIgnoringCase);
  folderItems_.insert(folderItems_.end(), folders.begin(), folders.end());
  folderItems_.insert(folderItems_.end(), images.begin(), images.end());
  return true;
}

void BatchModel::UpFolder() {
  size_t slash = inputFolder_.rfind('/');
  if (slash == std::string::npos) {
    SetInputFolder(std::string());
    return;
  }
  std::string parent = inputFolder_.substr(0, slash);
  if (parent.find('/') == std::string::npos) parent += '/';
  SetInputFolder(parent);
}

void BatchModel::Activate(const std::vector<int>& selected) {
  if (selected.empty()) return;
  int index = selected.front();
  if (index < 0 || index >= int(folderItems_.size())) return;
  BatchFolderItem item = folderItems_[index];
  if (item.icon == BATCH_ICON_PARENT) {
    size_t slash = inputFolder_.rfind('/');
    std::string parent = slash == std::string::npos ? std::string() : inputFolder_.substr(0, slash);
    // Up from a top folder is "/"; up from "/" is the drive list.
    if (parent.empty() && slash != std::string::npos && inputFolder_ != "/") parent = "/";
    SetInputFolder(parent);
  } else if (item.icon == BATCH_ICON_FOLDER || item.IsDrive()) {
    SetInputFolder(item.path);
  } else if (item.IsImage()) {
    AddFile(item.path);
  }
}

bool BatchModel::AddFile(const std::string& path) {
  if (running_) return false;
  std::lock_guard<std::mutex> lock(entriesMutex_);
  for (const BatchEntry& entry : entries_)
    if (entry.path == path) return false;
  entries_.push_back({path, BATCH_WAITING, std::string()});
  return true;
}

std::vector<int> BatchModel::ImageItems(const std::vector<int>& selected) const {
  std::vector<int> images;
  for (int index : selected)
    if (index >= 0 && index < int(folderItems_.size()) && folderItems_[index].IsImage())
      images.push_back(index);
  return images;
}

int BatchModel::Add(const std::vector<int>& selected) {
  int added = 0;
  for (int index : ImageItems(selected))
    added += AddFile(folderItems_[index].path) ? 1 : 0;
  return added;
}

int BatchModel::AddAll() {
  std::vector<int> all(folderItems_.size());
  for (size_t i = 0; i < all.size(); ++i)
    all[i] = int(i);
  return Add(all);
}

void BatchModel::Remove(const std::vector<int>& selected) {
  if (running_) return;
  std::set<int> doomed(selected.begin(), selected.end());
  std::lock_guard<std::mutex> lock(entriesMutex_);
  std::vector<BatchEntry> kept;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (!doomed.count(int(i))) kept.push_back(entries_[i]);
  entries_ = std::move(kept);
}

void BatchModel::RemoveAll() {
  if (running_) return;
  std::lock_guard<std::mutex> lock(entriesMutex_);
  entries_.clear();
}

bool BatchModel::RemoveButtonsVisible() const {
  return EntryCount() > 0;
}

size_t BatchModel::EntryCount() const {
  std::lock_guard<std::mutex> lock(entriesMutex_);
  return entries_.size();
}

BatchEntry BatchModel::Entry(size_t index) const {
  std::lock_guard<std::mutex> lock(entriesMutex_);
  return index < entries_.size() ? entries_[index] : BatchEntry{};
}

std::vector<BatchEntry> BatchModel::Entries() const {
  std::lock_guard<std::mutex> lock(entriesMutex_);
  return entries_;
}

std::string BatchModel::ImageInformationText(const std::string& path) {
  vuImage probe;
  vuFileInfo info;
  if (probe.GetInfo(path.c_str(), &info) != 0)
    return path + "\nThe image information cannot be read from this file.";
  // An empty file size would divide by zero.
  double ratio = info.fileSize > 0 ? double(info.width) * info.height * info.bitsPerPixel * 0.125 /
                                         double(info.fileSize)
                                   : 0.0;
  char numbers[160];
  std::snprintf(
      numbers, sizeof numbers,
      "\nWidth:%d\nHeight:%d\nBits Per Pixel:%d\nFile Size:%lld\nCompression Ratio:%0.2f:1",
      int(info.width), int(info.height), int(info.bitsPerPixel),
      static_cast<long long>(info.fileSize), ratio);
  return path + numbers;
}

std::vector<std::string> BatchModel::ImageInformation(const std::vector<int>& selected) const {
  std::vector<std::string> texts;
  for (int index : ImageItems(selected))
    texts.push_back(ImageInformationText(folderItems_[index].path));
  return texts;
}

void BatchModel::SetOutputFolder(const std::string& folder) {
  if (running_) return;
  outputFolder_ = folder;
  while (outputFolder_.size() > 1 && outputFolder_.back() == '/')
    outputFolder_.pop_back();
}

bool BatchModel::SetOutputType(int type) {
  if (running_ || OutputExtension(type).empty() || type == VU_TYPE_GIF) return false;
  options_.reset();
  writer_.reset(writerImage_.CreateRWImage(type));
  outputType_ = type;
  optionsFetched_ = false;
  return true;
}

bool BatchModel::OptionsButtonVisible() const {
  return outputType_ == VU_TYPE_WIF || outputType_ == VU_TYPE_JPEG;
}

void BatchModel::FetchOptions() {
  if (running_) return;
  options_.reset();
  if (writer_)
    options_ = std::unique_ptr<void, OptionsDeleter>(writer_->GetOutOptions(0),
                                                     OptionsDeleter{writer_.get()});
  optionsFetched_ = true;
}

std::string BatchModel::OutputPath(const std::string& entry) const {
  std::string name = FileName(entry);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return Join(outputFolder_, name + OutputExtension(outputType_));
}

bool BatchModel::ConvertOrStop() {
  if (running_) {
    RequestStop();
    return false;
  }
  Wait();
  std::error_code error;
  if (outputFolder_.empty() || !fs::is_directory(outputFolder_, error)) {
    std::string text = "The output folder does not exist:\n" + outputFolder_;
    vuPlatform().MessageBox(text.c_str(), CTOVRAApp::Title(), VU_MB_OK, VU_ICON_ERROR);
    return false;
  }
  if (!optionsFetched_) FetchOptions();
  if (!resume_) {
    std::lock_guard<std::mutex> lock(entriesMutex_);
    for (BatchEntry& entry : entries_) {
      entry.state = BATCH_WAITING;
      entry.problem.clear();
    }
  }
  stopRequested_ = false;
  running_ = true;
  worker_ = std::thread(&BatchModel::Run, this);
  return true;
}

void BatchModel::Wait() {
  if (worker_.joinable()) worker_.join();
}

void BatchModel::SetState(size_t index, int state, const std::string& problem) {
  {
    std::lock_guard<std::mutex> lock(entriesMutex_);
    if (index >= entries_.size()) return;
    entries_[index].state = state;
    entries_[index].problem = problem;
  }
  if (onEntryChanged) onEntryChanged(index);
}

void BatchModel::Run() {
  bool stopped = false;
  for (size_t index = 0;; ++index) {
    {
      std::lock_guard<std::mutex> lock(entriesMutex_);
      if (index >= entries_.size()) break;
      if (entries_[index].state != BATCH_WAITING) continue;
    }
    ConvertEntry(index);
    if (stopRequested_) {
      stopped = true;
      break;
    }
  }
  bool waiting = false;
  {
    std::lock_guard<std::mutex> lock(entriesMutex_);
    for (const BatchEntry& entry : entries_)
      waiting = waiting || entry.state == BATCH_WAITING;
  }
  // A stopped run resumes with the entries still waiting; once none are, the next run starts
  // afresh.
  resume_ = stopped && waiting;
  running_ = false;
  if (onFinished) onFinished();
}

void BatchModel::ConvertEntry(size_t index) {
  std::string source = Entry(index).path;
  std::string target = OutputPath(source);
  SetState(index, BATCH_WORKING);
  vuImageOwner image;
  int loaded = image.LoadImage(source.c_str());
  if (loaded != 0 || !image.header) {
    SetState(index, BATCH_WORKING, LoadProblem(loaded));
    return;
  }
  if (NeedsConversion(image.format, outputType_)) {
    SetState(index, BATCH_CONVERTING);
    ConvertForOutput(image, outputType_);
    SetState(index, BATCH_WORKING);
  }
  vuWifSaveOptions wifDefaults;
  wifDefaults.constant = 0;
  wifDefaults.quality = defaultQuality;
  vuJpegSaveOptions jpegDefaults;
  jpegDefaults.quality = 80;
  jpegDefaults.reserved = 6;
  void* options = options_.get();
  if (!options && outputType_ == VU_TYPE_WIF) options = &wifDefaults;
  if (!options && outputType_ == VU_TYPE_JPEG) options = &jpegDefaults;
  int saved = image.SaveImage(target.c_str(), outputType_, options);
  if (saved == 0) {
    image.Delete();
    SetState(index, BATCH_SAVED);
    return;
  }
  std::string problem = SaveProblem(saved);
  SetState(index, BATCH_WORKING, problem);
  std::string text = "Cannot save " + target + "\n" + problem;
  vuPlatform().MessageBox(text.c_str(), CTOVRAApp::Title(), VU_MB_OK, VU_ICON_ERROR);
}
