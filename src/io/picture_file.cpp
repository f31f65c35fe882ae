#include "io/picture_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QMimeData>

#include "io/png_file.h"
#include "platform/os/files.h"
#include "platform/os/folders.h"

namespace io {
namespace {

constexpr const char* kSaveFilter = "PNG (*.PNG)|*.png|Bitmap file (*.bmp)|*.bmp";
constexpr const char* kOpenFilter = "PNG (*.PNG)|*.png|Bitmap (*.BMP)|*.bmp";

// A file this much larger than the largest accepted picture cannot be one.
constexpr std::uintmax_t kMaxPictureFileBytes = 512u * 1024u * 1024u;

std::string SystemError(int error) { return std::strerror(error); }

bool ReadPictureBytes(const std::string& path, std::string& bytes, std::string& error) {
  os::WholeFile file = os::ReadWholeFile(path, kMaxPictureFileBytes);
  if (!file.Ok()) {
    error = "Cannot open file \"" + path + "\". " + file.Error + ".";
    return false;
  }
  bytes = std::move(file.Bytes);
  return true;
}

// The size a PNG's header announces (its first chunk is IHDR).
bool PngHeaderSize(const std::string& bytes, std::int64_t& width, std::int64_t& height) {
  static const char kSignature[] = "\x89PNG\r\n\x1a\n";
  if (bytes.size() < 24 || bytes.compare(0, 8, kSignature, 8) != 0 || bytes.compare(12, 4, "IHDR") != 0) return false;
  auto word = [&bytes](std::size_t at) {
    std::int64_t v = 0;
    for (std::size_t i = 0; i < 4; ++i) v = v * 256 + static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  width = word(16);
  height = word(20);
  return true;
}

QImage AsRgb32(const QImage& image) {
  return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

bool PictureSizeAccepted(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

std::string PictureTooLargeText(const std::string& what, std::int64_t width, std::int64_t height) {
  return what + " is " + std::to_string(width) + " x " + std::to_string(height) +
         " pixels, too large for the screen picture.";
}

void PreparePictureDialog(TFileDialog& dialog, bool save, const std::string& initialFolder) {
  dialog.SetFilter(save ? kSaveFilter : kOpenFilter);
  dialog.SetFilterIndex(1);
  dialog.SetDefaultExt("png");
  dialog.SetInitialDir(initialFolder);
  if (save) dialog.SetOptions(dialog.Options() | ofOverwritePrompt);
}

PictureFormat ChosenPictureFormat(const TFileDialog& dialog) {
  return (dialog.Options() & ofExtensionDifferent) ? PictureFormat::Bmp : PictureFormat::Png;
}

PictureRead ReadPictureFile(const std::string& path, PictureFormat format) {
  PictureRead result;
  std::string bytes;
  if (!ReadPictureBytes(path, bytes, result.Error)) return result;
  if (format == PictureFormat::Png) {
    std::int64_t width = 0, height = 0;
    if (!PngHeaderSize(bytes, width, height)) {
      result.Error = path + ": Not a PNG file.";
    } else if (!PictureSizeAccepted(width, height)) {
      result.Error = PictureTooLargeText("The picture " + path, width, height);
    } else if (std::optional<QImage> image = DecodePng(bytes)) {
      result.Image = std::move(*image);
    } else {
      result.Error = path + ": the PNG data is damaged or incomplete.";
    }
    return result;
  }
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "BMP");
  const QSize size = reader.size();
  if (size.isValid() && !PictureSizeAccepted(size.width(), size.height())) {
    result.Error = PictureTooLargeText("The picture " + path, size.width(), size.height());
    return result;
  }
  QImage image;
  if (!size.isValid() || !reader.read(&image) || image.isNull()) {
    result.Error = path + ": not a valid bitmap file.";
    return result;
  }
  result.Image = AsRgb32(image);
  return result;
}

std::string WritePictureFile(const QImage& picture, const std::string& path, PictureFormat format) {
  errno = 0;
  const bool written = format == PictureFormat::Png ? SavePngFile(path, picture) : SaveBmpFile(path, picture);
  if (written) return {};
  return "Unable to write to " + path + (errno ? ": " + SystemError(errno) : std::string());
}

void DrawPictureAtOrigin(TBitmap& picture, const QImage& image) {
  QImage& target = picture.Image();
  const QImage source = AsRgb32(image);
  const int w = std::min(target.width(), source.width());
  const int h = std::min(target.height(), source.height());
  for (int y = 0; y < h; ++y)
    std::memcpy(target.scanLine(y), source.constScanLine(y), static_cast<std::size_t>(w) * 4);
}

void CopyPictureToClipboard(const TBitmap& picture) {
  if (QClipboard* clipboard = QApplication::clipboard()) clipboard->setImage(picture.Image());
}

bool ClipboardHoldsPicture() {
  const QClipboard* clipboard = QApplication::clipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  return data && data->hasImage();
}

std::optional<QImage> ClipboardPicture() {
  if (!ClipboardHoldsPicture()) return std::nullopt;
  const QImage image = QApplication::clipboard()->image();
  if (image.isNull()) return std::nullopt;
  return image;
}

bool SavePictureWithDialog(TSaveDialog& dialog, const TBitmap& picture, const std::string& initialFolder) {
  PreparePictureDialog(dialog, true, initialFolder);
  if (!dialog.Execute()) return false;
  const std::string error = WritePictureFile(picture.Image(), dialog.FileName(), ChosenPictureFormat(dialog));
  if (error.empty()) return true;
  MessageDlg(error, mtError, mbOK, 0);
  return false;
}

std::optional<PictureChoice> ChoosePictureToOpen(TOpenDialog& dialog, const std::string& initialFolder) {
  PreparePictureDialog(dialog, false, initialFolder);
  if (!dialog.Execute()) return std::nullopt;
  return PictureChoice{dialog.FileName(), ChosenPictureFormat(dialog)};
}

bool DrawPictureFile(TBitmap& picture, const PictureChoice& choice) {
  PictureRead read = ReadPictureFile(choice.Path, choice.Format);
  if (!read.Error.empty()) {
    MessageDlg(read.Error, mtError, mbOK, 0);
    return false;
  }
  DrawPictureAtOrigin(picture, read.Image);
  return true;
}

bool PastePicture(TBitmap& picture) {
  const std::optional<QImage> image = ClipboardPicture();
  if (!image) return false;
  if (!PictureSizeAccepted(image->width(), image->height())) {
    MessageDlg(PictureTooLargeText("The picture on the clipboard", image->width(), image->height()), mtError, mbOK,
               0);
    return false;
  }
  DrawPictureAtOrigin(picture, *image);
  return true;
}

}  // namespace io
