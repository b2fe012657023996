#include "app/StudioStartup.h"

#include "app/CMainFrame.h"
#include "app/CTOVRAApp.h"

StartupOptions ParseCommandLine(const QStringList& arguments) {
  StartupOptions options;
  for (int i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--screen-depth" || argument.startsWith("--screen-depth=")) {
      QString value;
      if (argument.contains('='))
        value = argument.section('=', 1);
      else if (i + 1 < arguments.size())
        value = arguments[++i];
      bool ok = false;
      int depth = value.toInt(&ok);
      if (!ok ||
          (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32)) {
        options.error =
            QString("--screen-depth needs 1, 4, 8, 16, 24 or 32, not \"%1\"").arg(value);
        return options;
      }
      options.screenDepth = depth;
    } else if (argument == "--") {
      options.files += arguments.mid(i + 1);
      break;
    } else if (argument.startsWith("--")) {
      options.error = QString("unknown option %1").arg(argument);
      return options;
    } else {
      options.files << argument;
    }
  }
  return options;
}

QString UsageText() {
  return "Usage: vustudio [--screen-depth N] [FILE...]\n"
         "Opens each FILE as an image window.\n"
         "  --screen-depth N   show images as a screen of N bits per pixel would (8: a palette\n"
         "                     screen with 256 colours)\n";
}

std::unique_ptr<CMainFrame> StartStudio(CTOVRAApp& app, const QStringList& files) {
  auto frame = std::make_unique<CMainFrame>(app);
  frame->show();
  for (const QString& file : files)
    frame->OpenDocument(file);
  app.SetMouseMode(MOUSE_NONE);
  app.cropSource = nullptr;
  frame->setWindowTitle(CTOVRAApp::Caption());
  return frame;
}
