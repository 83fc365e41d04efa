// Dialogs that answer from a script and remember what they were asked.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialogs.h"

namespace tavilune::testing {

struct HintCall {
  WindowHandle window;
  Rect area;
  std::string text;
};

// The open dialog as the picture dialog's preview sees it: the test sets what is selected and
// which resources exist, and reads the hints the preview set.
class FakeFileDialogSite : public OpenFileDialogSite {
 public:
  std::optional<ChosenFile> SelectedPath() override {
    ++selectionQueries;
    return selected;
  }
  void SetHint(WindowHandle window, const Rect& area, const std::string& text) override {
    hints.push_back(HintCall{window, area, text});
  }
  std::vector<std::uint8_t> BitmapResource(const std::string& name) override {
    auto found = resources.find(name);
    return found == resources.end() ? std::vector<std::uint8_t>() : found->second;
  }

  // Selects an ANSI path that spells (or nothing) and tells the preview, as a click in the
  // dialog's list would.
  void Select(OpenFilePreview& preview, std::optional<std::string> ansiPath) {
    selected.reset();
    if (ansiPath) selected = ChosenFile{*ansiPath, *ansiPath, std::nullopt};
    preview.SelectionChanged(*this);
  }

  std::optional<ChosenFile> selected;
  std::vector<HintCall> hints;
  std::map<std::string, std::vector<std::uint8_t>> resources;
  int selectionQueries = 0;
};

class FakeDialogs : public Dialogs {
 public:
  std::optional<ChosenFile> OpenFile(const OpenFileRequest& request) override {
    openRequests.push_back(request);
    if (onOpenFile) onOpenFile(request);
    FailIfScripted();
    if (fileAnswers.empty()) return std::nullopt;
    std::optional<ChosenFile> answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }

  std::optional<Color> PickColor(const ColorRequest& request) override {
    colorRequests.push_back(request);
    colorCustomsSeen.push_back(*request.customColors);
    if (onPickColor) onPickColor(request);
    if (colorAnswers.empty()) return std::nullopt;
    std::optional<Color> answer = colorAnswers.front();
    colorAnswers.pop_front();
    return answer;
  }

  // The picture dialog: the preview is laid out in pictureLayout, the test's script runs while
  // the dialog is open, and the answer comes from the same queue as OpenFile's.
  std::optional<ChosenFile> OpenPictureFile(const OpenFileRequest& request,
                                            OpenFilePreview& preview) override {
    openRequests.push_back(request);
    ++pictureDialogs;
    if (onOpenFile) onOpenFile(request);
    preview.DialogInitialized(pictureLayout, pictureSite);
    if (onPictureDialog) onPictureDialog(preview, pictureSite);
    preview.DialogClosing(pictureSite);
    FailIfScripted();
    if (fileAnswers.empty()) return std::nullopt;
    std::optional<ChosenFile> answer = fileAnswers.front();
    fileAnswers.pop_front();
    return answer;
  }

  // The next file the user confirms (an ANSI path that spells), or a cancel.
  void WillChoose(const std::string& ansiPath) {
    fileAnswers.push_back(ChosenFile{ansiPath, ansiPath, std::nullopt});
  }
  void WillCancel() { fileAnswers.push_back(std::nullopt); }
  // The next file dialog fails with the system's extended error code instead of answering.
  void WillFail(std::uint32_t code) { failureCode = code; }

  std::optional<std::uint32_t> failureCode;
  std::deque<std::optional<ChosenFile>> fileAnswers;
  OpenFileDialogLayout pictureLayout;
  FakeFileDialogSite pictureSite;
  std::function<void(OpenFilePreview&, FakeFileDialogSite&)> onPictureDialog;
  int pictureDialogs = 0;
  std::deque<std::optional<Color>> colorAnswers;
  std::vector<ColorRequest> colorRequests;
  std::vector<std::array<std::uint32_t, 16>> colorCustomsSeen;
  std::function<void(const ColorRequest&)> onPickColor;
  std::vector<OpenFileRequest> openRequests;
  std::function<void(const OpenFileRequest&)> onOpenFile;

 private:
  void FailIfScripted() {
    if (!failureCode) return;
    const std::uint32_t code = *std::exchange(failureCode, std::nullopt);
    throw FileDialogFailure(code);
  }
};

}  // namespace tavilune::testing
