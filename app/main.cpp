// vustudio: the desktop program.
#include <QApplication>
#include <cstdio>

#include "app/CMainFrame.h"
#include "app/CTOVRAApp.h"
#include "app/QtPlatform.h"
#include "app/StudioStartup.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("vustudio");
  QApplication::setOrganizationName("Tessary");
  StartupOptions options = ParseCommandLine(QApplication::arguments());
  if (options.help || !options.error.isEmpty()) {
    if (!options.error.isEmpty()) std::fprintf(stderr, "vustudio: %s\n", qPrintable(options.error));
    std::fputs(qPrintable(UsageText()), options.help ? stdout : stderr);
    return options.help ? 0 : 2;
  }
  QtPlatform platform(options.screenDepth);
  vuScopedPlatform installed(&platform);
  CTOVRAApp app;
  platform.preferences = &app.preferences;
  auto frame = StartStudio(app, options.files);
  int status = application.exec();
  frame.reset();
  return status;
}
