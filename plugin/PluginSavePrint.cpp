// The instance's save dialog and printing.
#include <cstdio>
#include <cstring>
#include <string>

#include "formats/vuRegistry.h"
#include "imagelib/vuDrawing.h"
#include "imagelib/vuImageOwner.h"
#include "imagelib/vuOSWinClass.h"
#include "imagelib/vuPlatform.h"
#include "plugin/PluginInstance.h"

namespace {

const char kSaveTitle[] = "Select Output File Name";
const char kPrintDocument[] = "printing bitmap";
const char kMessageCaption[] = "VU Internet Plug-in";

struct SaveFilter {
  const char* description;
  const char* pattern;
};
const SaveFilter kSaveFilters[] = {
    {"Wavelet Image File (WIF)", "*.wif"},
    {"Windows Bitmap (BMP)", "*.bmp"},
};

std::string WriteFailureText(const std::string& fileName, int result) {
  const char* reason = result == -1   ? "the file cannot be created or written"
                       : result == -3 ? "there is not enough memory"
                                      : "the picture cannot be stored in this format";
  return "Cannot save " + fileName + ": " + reason + ".";
}

} // namespace

std::string PluginOutputName(const std::string& name, int extensionOffset, const char* pattern) {
  const std::string extension = pattern + 1; // ".wif"
  if (extensionOffset <= 0) return name + extension;
  if (static_cast<size_t>(extensionOffset) >= name.size()) return name + "." + extension.substr(1);
  if (name.compare(static_cast<size_t>(extensionOffset), 3, extension, 1, 3) == 0) return name;
  return name + extension;
}

void PluginInstance::SaveDialog() {
  vuFileDialog dialog;
  dialog.owner = window;
  dialog.title = kSaveTitle;
  for (const SaveFilter& filter : kSaveFilters)
    dialog.filters.push_back(vuFileFilter{filter.description, filter.pattern});
  dialog.filterIndex = 1;
  dialog.promptOverwrite = true;
  if (!vuPlatform().GetSaveFileName(dialog)) return;
  const int filterIndex = dialog.filterIndex == 2 ? 2 : 1;
  const std::string fileName =
      PluginOutputName(dialog.path, dialog.extensionOffset, kSaveFilters[filterIndex - 1].pattern);
  SaveAs(fileName, filterIndex);
}

void PluginInstance::SaveAs(const std::string& fileName, int filterIndex) {
  int result = 0;
  if (filterIndex == 1) {
    // The WIF data received so far, as it came.
    result = consumed.WriteToFile(fileName.c_str());
  } else if (!image || !image->header) {
    result = -2;
  } else if (image->useAlternate && image->altHeader &&
             (image->format == BM_16BIT_GRAY || image->format == BM_48BIT)) {
    // A bitmap holds 8 bits a sample: a 16-bit picture is saved as it is shown.
    vuImageOwner shown;
    shown.AllocateBitmap(image->Width(), image->Height(), image->altHeader->bitCount == 8 ? 256 : 0,
                         image->altHeader->bitCount == 8 ? BM_8BIT_GRAY : BM_24BIT);
    if (!shown.header) {
      result = -3;
    } else {
      const int64_t rows = int64_t(shown.Stride()) * shown.Height();
      std::memcpy(shown.bits, image->altBits, static_cast<size_t>(rows));
      if (shown.header->bitCount == 8 && image->altPalette)
        std::memcpy(shown.palette, image->altPalette, 256 * sizeof(vuRGBA));
      result = shown.SaveImage(fileName.c_str(), VU_TYPE_BMP);
    }
  } else {
    result = image->SaveImage(fileName.c_str(), VU_TYPE_BMP);
  }
  if (result != 0) {
    const std::string text = WriteFailureText(fileName, result);
    vuPlatform().MessageBox(text.c_str(), kMessageCaption, VU_MB_OK, VU_ICON_ERROR);
  }
}

void PluginInstance::Print(const NPPrint* printInfo) {
  if (!image || !image->header) return;
  if (printInfo && printInfo->mode != NP_FULL) {
    // Embedded: the default printer, "device,driver,port".
    std::string profile = vuPlatform().GetProfileString("WINDOWS", "DEVICE", "");
    if (profile.size() > 159) profile.resize(159);
    char device[65] = {}, driver[81] = {}, port[17] = {};
    std::sscanf(profile.c_str(), "%64[^,],%80[^,],%16[^,]", device, driver, port);
    std::unique_ptr<vuDeviceContext> dc = vuPlatform().CreatePrinterDC(driver, device, port);
    if (!dc) return;
    const NPWindow& area = printInfo->print.embedPrint.window;
    if (dc->StartDoc(kPrintDocument) > 0) {
      dc->StartPage();
      image->Draw(dc.get(), static_cast<int>(area.width / 4), static_cast<int>(area.height / 4),
                  VU_DDF_BACKGROUNDPAL);
      dc->EndPage();
      dc->EndDoc();
    }
    return;
  }
  vuPrintDialog dialog;
  dialog.owner = window;
  dialog.pageNumbers = false;
  dialog.selection = false;
  dialog.copies = 1;
  std::unique_ptr<vuDeviceContext> dc = vuPlatform().PrintDlg(dialog);
  if (!dc) return;
  dc->SetStretchBltMode(VU_STRETCH_BLACKONWHITE);
  if (dc->StartDoc(kPrintDocument) > 0) {
    dc->StartPage();
    image->Draw(dc.get(), 3 * image->Width(), 3 * image->Height(), VU_DDF_BACKGROUNDPAL);
    dc->EndPage();
    dc->EndDoc();
  }
}
