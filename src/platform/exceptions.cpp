#include "platform/exceptions.h"

#include <array>
#include <string>

namespace tavilune {

namespace {

struct CodeText {
  int code;
  const char* text;
};

constexpr std::array kInOutTexts{
    CodeText{2, u8"ファイルが見つかりません"},
    CodeText{3, u8"不正なファイル名です"},
    CodeText{4, u8"オープンしたファイルが多すぎます"},
    CodeText{5, u8"ファイルへのアクセスが拒否されました"},
    CodeText{100, u8"ファイルの末尾以降を読み込みました"},
    CodeText{101, u8"ディスクがいっぱいです"},
    CodeText{106, u8"入力値が数値ではありません"},
};

}  // namespace

std::string InOutErrorText(int code) {
  for (const auto& row : kInOutTexts) {
    if (row.code == code) return row.text;
  }
  return u8"I/O エラー (" + std::to_string(code) + ")";
}

EInOutError::EInOutError(int code) : Exception(InOutErrorText(code)), code_(code) {}

}  // namespace tavilune
