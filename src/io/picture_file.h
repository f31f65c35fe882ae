// Picture files and the clipboard: the screen pictures of every instrument
// are saved as PNG (through libpng) or Windows bitmap files, drawn back from
// such files and exchanged with the clipboard. The functions here know
// nothing of windows; the handlers gather the picture and show the messages.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <QImage>

#include "platform/ui/vcl.h"

namespace io {

enum class PictureFormat { Png, Bmp };

// A picture larger than this is refused, whole, before it is decoded: the
// screens are a few hundred pixels wide, and a huge file must not exhaust
// the memory.
inline constexpr int kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = 25'000'000;
bool PictureSizeAccepted(std::int64_t width, std::int64_t height);
std::string PictureTooLargeText(const std::string& what, std::int64_t width, std::int64_t height);

// The picture dialogs: filter entry 1, default extension "png", starting in
// `initialFolder` (the windows give their documents folder). After Execute
// the format follows the chosen name: a name with the default extension (or
// none, which gets it) is PNG, any other extension a Windows bitmap.
void PreparePictureDialog(TFileDialog& dialog, bool save, const std::string& initialFolder);
PictureFormat ChosenPictureFormat(const TFileDialog& dialog);

// A picture read from a file, or why it could not be (the image is then null).
struct PictureRead {
  QImage Image;  // Format_RGB32
  std::string Error;
};
PictureRead ReadPictureFile(const std::string& path, PictureFormat format);
// The PNG or bitmap file of the picture, written whole; the error text, or
// "" when it was written.
std::string WritePictureFile(const QImage& picture, const std::string& path, PictureFormat format);

// Draws `image` with its top-left corner at (0, 0) of the picture, clipped to it.
void DrawPictureAtOrigin(TBitmap& picture, const QImage& image);

// The clipboard.
void CopyPictureToClipboard(const TBitmap& picture);
bool ClipboardHoldsPicture();
std::optional<QImage> ClipboardPicture();

// The picture handlers every instrument window shares. Each shows its own
// failure message; the picture is unchanged on failure.
// "Save Image...": the dialog, then the file. True when written.
bool SavePictureWithDialog(TSaveDialog& dialog, const TBitmap& picture, const std::string& initialFolder);
// "Open Image...": the dialog; the chosen file and its format, or nothing.
struct PictureChoice {
  std::string Path;
  PictureFormat Format = PictureFormat::Png;
};
std::optional<PictureChoice> ChoosePictureToOpen(TOpenDialog& dialog, const std::string& initialFolder);
// Reads the chosen file and draws it at the picture's top left; true when drawn.
bool DrawPictureFile(TBitmap& picture, const PictureChoice& choice);
// "Paste": draws the clipboard's picture at the top left; true when there
// was one and it was drawn.
bool PastePicture(TBitmap& picture);

}  // namespace io
