#include "desktop/qt/WifImagePlugin.h"

#include "desktop/qt/WifImageHandler.h"

QImageIOPlugin::Capabilities WifImagePlugin::capabilities(QIODevice* device,
                                                          const QByteArray& format) const {
  if (format == "wif" || format == "vuw") return CanRead | CanWrite;
  if (!format.isEmpty() || !device || !device->isOpen()) return {};
  Capabilities capabilities;
  if (device->isReadable() && WifImageHandler::canRead(device)) capabilities |= CanRead;
  if (device->isWritable()) capabilities |= CanWrite;
  return capabilities;
}

QImageIOHandler* WifImagePlugin::create(QIODevice* device, const QByteArray& format) const {
  auto* handler = new WifImageHandler;
  handler->setDevice(device);
  handler->setFormat(format.isEmpty() ? QByteArray("wif") : format);
  return handler;
}
