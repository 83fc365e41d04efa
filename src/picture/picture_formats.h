// The process-wide table of picture formats: extension to graphic class.
#pragma once

#include <string>
#include <vector>

#include "picture/graphic.h"

namespace tavilune {

struct PictureFormat {
  const GraphicClass* graphicClass = nullptr;
  std::string extension;    // without the dot, lower case (ANSI bytes)
  std::string description;  // UTF-8
  int descriptionResource = 0;
};

class TFileFormatsList {
 public:
  // The four formats every program starts with: wmf, emf, ico, bmp.
  TFileFormatsList();

  void Add(const std::string& extension, const std::string& description, int descriptionResource,
           const GraphicClass& graphicClass);
  // Removes every entry of the class or of a class derived from it.
  void Remove(const GraphicClass& graphicClass);
  // The class of the last entry with this extension, or nullptr.
  const GraphicClass* Find(const std::string& extension) const;
  const std::vector<PictureFormat>& Entries() const { return entries_; }

 private:
  std::vector<PictureFormat> entries_;
};

// The process's table, created with its four first entries on first use.
TFileFormatsList& GetFileFormats();
// Whether the table has been created yet.
bool FileFormatsExist();
// Forgets the table so that the next use creates it afresh (tests, tools).
void ResetFileFormats();

void AddPictureFormat(const std::string& extension, const std::string& description,
                      const GraphicClass& graphicClass);
// Does nothing while the table does not exist.
void RemovePictureClass(const GraphicClass& graphicClass);
const GraphicClass* FindPictureClass(const std::string& extension);

// Lower-cases the single-byte letters A to Z of an ANSI string, leaving double-byte characters
// alone, as the system's ANSI lower-casing does.
std::string AnsiLowerCase(const std::string& ansi);

// The main window's part of start-up: "bmp" moves behind the JPEG entries and "jpg" is added
// again, both described as bitmaps (pass the JPEG graphic's class, JpegPictureClass()). Called
// after RegisterJpegPictureFormats, it leaves the table at its seven rows.
void SetUpMainWindowPictureFormats(const GraphicClass& jpegClass);

// The JPEG decoder's part of start-up (adds "jpeg" and "jpg"), of program end (removes its
// class) and its class descriptor. Defined by the JPEG decoder's sources, which also make
// TAVILUNE_HAVE_JPEG defined for everything linking tavilune_picture.
void RegisterJpegPictureFormats();
void UnregisterJpegPictureFormats();
const GraphicClass& JpegPictureClass();

}  // namespace tavilune
