// Dialogs that answer from a script and remember what they were asked.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace tavilune::testing {

struct MessageDialogCall {
  WindowHandle owner;
  std::string text;
  std::string caption;
};

class FakeDialogs : public Dialogs {
 public:
  std::optional<ChosenFile> OpenFile(const OpenFileRequest& request) override {
    openRequests.push_back(request);
    if (onOpenFile) onOpenFile(request);
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

  void MessageDialog(WindowHandle owner, const std::string& text,
                     const std::string& caption) override {
    messages.push_back(MessageDialogCall{owner, text, caption});
    if (onMessage) onMessage(messages.back());
  }

  // The next file the user confirms (an ANSI path that spells), or a cancel.
  void WillChoose(const std::string& ansiPath) {
    fileAnswers.push_back(ChosenFile{ansiPath, ansiPath, std::nullopt});
  }
  void WillCancel() { fileAnswers.push_back(std::nullopt); }

  std::deque<std::optional<ChosenFile>> fileAnswers;
  std::deque<std::optional<Color>> colorAnswers;
  std::vector<ColorRequest> colorRequests;
  std::vector<std::array<std::uint32_t, 16>> colorCustomsSeen;
  std::function<void(const ColorRequest&)> onPickColor;
  std::vector<OpenFileRequest> openRequests;
  std::vector<MessageDialogCall> messages;
  std::function<void(const OpenFileRequest&)> onOpenFile;
  std::function<void(const MessageDialogCall&)> onMessage;
};

}  // namespace tavilune::testing
