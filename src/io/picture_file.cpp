#include "io/picture_file.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImageReader>
#include <QMimeData>

#include "engine/scope_state.h"
#include "platform/os/folders.h"

namespace io {
namespace {

constexpr const char* kSaveFilter = "PNG (*.PNG)|*.png|Bitmap file (*.bmp)|*.bmp";
constexpr const char* kOpenFilter = "PNG (*.PNG)|*.png|Bitmap (*.BMP)|*.bmp";

// A file this much larger than the largest accepted picture cannot be one.
constexpr std::uintmax_t kMaxPictureFileBytes = 512u * 1024u * 1024u;

std::string SystemError(int error) { return std::strerror(error); }

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    error = "Cannot open file \"" + path + "\". " + ec.message() + ".";
    return false;
  }
  if (size > kMaxPictureFileBytes) {
    error = "The file \"" + path + "\" is too large to be a picture.";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "Cannot open file \"" + path + "\". " + SystemError(errno) + ".";
    return false;
  }
  std::ostringstream s;
  s << in.rdbuf();
  bytes = s.str();
  return true;
}

// libpng reports through longjmp; the message is kept for the user.
struct PngErrorState {
  std::jmp_buf jump;
  std::string message;
};

void OnPngError(png_structp png, png_const_charp message) {
  auto* state = static_cast<PngErrorState*>(png_get_error_ptr(png));
  state->message = message ? message : "PNG error";
  std::longjmp(state->jump, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

struct MemoryReader {
  const std::string* bytes;
  std::size_t pos = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length) {
  auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
  if (length > reader->bytes->size() - reader->pos) png_error(png, "Unexpected end of the PNG data");
  std::memcpy(out, reader->bytes->data() + reader->pos, length);
  reader->pos += length;
}

void WriteToMemory(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void FlushMemory(png_structp) {}

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

void PreparePictureDialog(TFileDialog& dialog, bool save) {
  dialog.SetFilter(save ? kSaveFilter : kOpenFilter);
  dialog.SetFilterIndex(1);
  dialog.SetDefaultExt("png");
  dialog.SetInitialDir(engine::DocumentsFolder);
  if (save) dialog.SetOptions(dialog.Options() | ofOverwritePrompt);
}

PictureFormat ChosenPictureFormat(const TFileDialog& dialog) {
  return (dialog.Options() & ofExtensionDifferent) ? PictureFormat::Bmp : PictureFormat::Png;
}

PictureRead DecodePng(const std::string& bytes) {
  PictureRead result;
  if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0) {
    result.Error = "Not a PNG file.";
    return result;
  }
  PngErrorState state;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnPngError, OnPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_read_struct(&png, &info, nullptr);
    result.Error = "Out of memory reading the PNG file.";
    return result;
  }
  MemoryReader reader{&bytes};
  // What the decoding changes lives on the heap: locals changed between
  // setjmp and a longjmp would be indeterminate.
  struct Scratch {
    QImage image;
    std::vector<png_bytep> rows;
  };
  const auto scratch = std::make_unique<Scratch>();
  if (setjmp(state.jump)) {
    png_destroy_read_struct(&png, &info, nullptr);
    result.Error = state.message;
    return result;
  }
  png_set_read_fn(png, &reader, ReadFromMemory);
  png_read_info(png, info);
  const png_uint_32 width = png_get_image_width(png, info);
  const png_uint_32 height = png_get_image_height(png, info);
  if (!PictureSizeAccepted(width, height)) {
    png_destroy_read_struct(&png, &info, nullptr);
    result.Error = PictureTooLargeText("The picture", width, height);
    return result;
  }
  // Every colour type becomes 8-bit RGBA.
  const int colorType = png_get_color_type(png, info);
  if (png_get_bit_depth(png, info) == 16) png_set_strip_16(png);
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    if (png_get_bit_depth(png, info) < 8) png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
  }
  if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
  if (!(colorType & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS))
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  scratch->image = QImage(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGBA8888);
  if (scratch->image.isNull()) png_error(png, "Out of memory reading the PNG file");
  scratch->rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) scratch->rows[y] = scratch->image.scanLine(static_cast<int>(y));
  png_read_image(png, scratch->rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  const QImage& image = scratch->image;
  // A bitmap has no transparency: what shows through is white.
  QImage flat(image.size(), QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    const uchar* in = image.constScanLine(y);
    auto* out = reinterpret_cast<QRgb*>(flat.scanLine(y));
    for (int x = 0; x < image.width(); ++x, in += 4) {
      const int a = in[3];
      auto blend = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
      out[x] = qRgb(blend(in[0]), blend(in[1]), blend(in[2]));
    }
  }
  result.Image = std::move(flat);
  return result;
}

std::string EncodePng(const QImage& picture) {
  const QImage image = AsRgb32(picture);
  if (image.isNull()) return {};
  PngErrorState state;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnPngError, OnPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  // Changed after setjmp, so kept on the heap (see DecodePng).
  struct Scratch {
    std::string bytes;
    std::vector<png_byte> row;
  };
  const auto scratch = std::make_unique<Scratch>();
  scratch->row.resize(static_cast<std::size_t>(image.width()) * 3);
  if (setjmp(state.jump)) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &scratch->bytes, WriteToMemory, FlushMemory);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width()), static_cast<png_uint_32>(image.height()), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_byte* row = scratch->row.data();
  for (int y = 0; y < image.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      row[x * 3] = static_cast<png_byte>(qRed(in[x]));
      row[x * 3 + 1] = static_cast<png_byte>(qGreen(in[x]));
      row[x * 3 + 2] = static_cast<png_byte>(qBlue(in[x]));
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::move(scratch->bytes);
}

PictureRead ReadPictureFile(const std::string& path, PictureFormat format) {
  PictureRead result;
  std::string bytes;
  if (!ReadWholeFile(path, bytes, result.Error)) return result;
  if (format == PictureFormat::Png) {
    result = DecodePng(bytes);
    if (!result.Error.empty()) result.Error = path + ": " + result.Error;
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
  std::string bytes;
  if (format == PictureFormat::Png) {
    bytes = EncodePng(picture);
  } else {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    if (AsRgb32(picture).save(&buffer, "BMP")) bytes.assign(data.constData(), static_cast<std::size_t>(data.size()));
  }
  if (bytes.empty()) return "Unable to write to " + path;
  if (!os::WriteWholeFile(path, bytes)) return "Unable to write to " + path + ": " + SystemError(errno);
  return {};
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

bool SavePictureWithDialog(TSaveDialog& dialog, const TBitmap& picture) {
  PreparePictureDialog(dialog, true);
  if (!dialog.Execute()) return false;
  const std::string error = WritePictureFile(picture.Image(), dialog.FileName(), ChosenPictureFormat(dialog));
  if (error.empty()) return true;
  MessageDlg(error, mtError, mbOK, 0);
  return false;
}

std::optional<PictureChoice> ChoosePictureToOpen(TOpenDialog& dialog) {
  PreparePictureDialog(dialog, false);
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
