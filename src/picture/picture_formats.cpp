#include "picture/picture_formats.h"

#include <memory>

#include "picture/bitmap.h"
#include "picture/icon.h"
#include "picture/metafile.h"
#include "platform/ansi.h"

namespace tavilune {

namespace {

std::unique_ptr<TFileFormatsList>& TheList() {
  static std::unique_ptr<TFileFormatsList> list;
  return list;
}

}  // namespace

std::string AnsiLowerCase(const std::string& ansi) {
  std::string lower = ansi;
  for (std::size_t i = 0; i < lower.size(); ++i) {
    const auto byte = static_cast<unsigned char>(lower[i]);
    if (IsAnsiLeadByte(byte) && i + 1 < lower.size()) {
      ++i;  // a double-byte character is left as it is
    } else if (byte >= 'A' && byte <= 'Z') {
      lower[i] = static_cast<char>(byte - 'A' + 'a');
    }
  }
  return lower;
}

TFileFormatsList::TFileFormatsList() {
  Add("wmf", u8"メタファイル", 0, TMetafile::StaticClass());
  Add("emf", u8"エンハンス メタファイル", 0, TMetafile::StaticClass());
  Add("ico", u8"アイコン", 0, TIcon::StaticClass());
  Add("bmp", u8"ビットマップ", 0, TBitmap::StaticClass());
}

void TFileFormatsList::Add(const std::string& extension, const std::string& description,
                           int descriptionResource, const GraphicClass& graphicClass) {
  entries_.push_back(
      PictureFormat{&graphicClass, AnsiLowerCase(extension), description, descriptionResource});
}

void TFileFormatsList::Remove(const GraphicClass& graphicClass) {
  for (std::size_t i = entries_.size(); i-- > 0;) {
    if (entries_[i].graphicClass->DerivesFrom(graphicClass)) {
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}

const GraphicClass* TFileFormatsList::Find(const std::string& extension) const {
  const std::string lower = AnsiLowerCase(extension);
  for (std::size_t i = entries_.size(); i-- > 0;) {
    if (entries_[i].extension == lower) return entries_[i].graphicClass;
  }
  return nullptr;
}

TFileFormatsList& GetFileFormats() {
  auto& list = TheList();
  if (!list) list = std::make_unique<TFileFormatsList>();
  return *list;
}

bool FileFormatsExist() { return TheList() != nullptr; }

void ResetFileFormats() { TheList().reset(); }

void AddPictureFormat(const std::string& extension, const std::string& description,
                      const GraphicClass& graphicClass) {
  GetFileFormats().Add(extension, description, 0, graphicClass);
}

void RemovePictureClass(const GraphicClass& graphicClass) {
  if (FileFormatsExist()) GetFileFormats().Remove(graphicClass);
}

const GraphicClass* FindPictureClass(const std::string& extension) {
  return GetFileFormats().Find(extension);
}

void SetUpMainWindowPictureFormats(const GraphicClass& jpegClass) {
  RemovePictureClass(TBitmap::StaticClass());
  AddPictureFormat("bmp", u8"ビットマップ", TBitmap::StaticClass());
  AddPictureFormat("jpg", u8"ビットマップ", jpegClass);
}

}  // namespace tavilune
