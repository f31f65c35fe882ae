// Pictures as PNG files through libpng: the picture saved as 8-bit RGB, and
// a PNG file read back into a picture. Both work on whole files only: a save
// reaches the disk complete or not at all, a damaged file reads as nothing.
#pragma once

#include <optional>
#include <string>

#include <QImage>

namespace io {

// The PNG bytes of a picture (any format; saved as 8-bit RGB), or nothing
// when the encoder failed.
std::optional<std::string> EncodePng(const QImage& picture);
// The picture (Format_RGB32) of PNG bytes, or nothing when they are not a whole PNG.
std::optional<QImage> DecodePng(const std::string& bytes);

// The file written whole; false when it could not be.
bool SavePngFile(const std::string& path, const QImage& picture);
// The picture of a PNG file, or nothing.
std::optional<QImage> LoadPngFile(const std::string& path);

// The same for Windows bitmap files (24-bit BMP).
bool SaveBmpFile(const std::string& path, const QImage& picture);

}  // namespace io
