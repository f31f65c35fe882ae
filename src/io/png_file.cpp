#include "io/png_file.h"

#include <cstring>
#include <vector>

#include <QBuffer>
#include <png.h>

#include "platform/os/files.h"
#include "platform/os/folders.h"

namespace io {

std::optional<std::string> EncodePng(const QImage& picture) {
  if (picture.isNull()) return std::nullopt;
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(rgb.width());
  image.height = static_cast<png_uint_32>(rgb.height());
  image.format = PNG_FORMAT_RGB;
  const png_int_32 stride = static_cast<png_int_32>(rgb.bytesPerLine());
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.constBits(), stride, nullptr)) return std::nullopt;
  std::string bytes(size, '\0');
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.constBits(), stride, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  bytes.resize(size);
  return bytes;
}

std::optional<QImage> DecodePng(const std::string& bytes) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return std::nullopt;
  // A picture bigger than any screen is refused rather than allocated.
  if (image.width == 0 || image.height == 0 || image.width > 16384 || image.height > 16384) {
    png_image_free(&image);
    return std::nullopt;
  }
  image.format = PNG_FORMAT_BGRA;  // the byte order of Format_ARGB32 on little-endian machines
  QImage out(static_cast<int>(image.width), static_cast<int>(image.height), QImage::Format_ARGB32);
  out.fill(Qt::white);
  png_color background{255, 255, 255};
  if (!png_image_finish_read(&image, &background, out.bits(), static_cast<png_int_32>(out.bytesPerLine()),
                             nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return out.convertToFormat(QImage::Format_RGB32);
}

bool SavePngFile(const std::string& path, const QImage& picture) {
  const std::optional<std::string> bytes = EncodePng(picture);
  return bytes && os::WriteWholeFile(path, *bytes);
}

std::optional<QImage> LoadPngFile(const std::string& path) {
  const os::WholeFile file = os::ReadWholeFile(path, 512u << 20);
  if (!file.Ok()) return std::nullopt;
  return DecodePng(file.Bytes);
}

bool SaveBmpFile(const std::string& path, const QImage& picture) {
  if (picture.isNull()) return false;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP")) return false;
  return os::WriteWholeFile(path, std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace io
