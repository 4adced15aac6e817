// Shared pieces of the program's tests: a temporary folder, a message
// service that records what it is asked to show.
#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/services.h"
#include "../gui/when_modal.h"

using namespace notarra;

namespace apptest {

class TempDir {
public:
  // name, when given, ends the folder's name (UTF-8).
  explicit TempDir(const std::string& name = "") {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("notarra-app-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + name);
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }

private:
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct TRecordingMessages : TMessageService {
  std::vector<std::string> information, errors, questions;
  // What confirmations answer: OK / Yes, or Cancel / No. While answers
  // holds any, the next questions take theirs from it in turn.
  bool answer = true;
  std::deque<bool> answers;
  void Information(const std::string& text) override { information.push_back(text); }
  void Warning(const std::string& text) override { errors.push_back(text); }
  void Error(const std::string& text) override { errors.push_back(text); }
  bool ConfirmOkCancel(const std::string& text) override { return Ask(text); }
  bool ConfirmYesNo(const std::string& text) override { return Ask(text); }

private:
  bool Ask(const std::string& text) {
    questions.push_back(text);
    if (answers.empty()) return answer;
    const bool next = answers.front();
    answers.pop_front();
    return next;
  }
};

// Installs a recording service for the life of the object.
class TMessageRecorder {
public:
  TMessageRecorder() : previous_(SetMessageService(&messages_)) {}
  ~TMessageRecorder() { SetMessageService(previous_); }
  TRecordingMessages* operator->() { return &messages_; }

private:
  TRecordingMessages messages_;
  TMessageService* previous_;
};


inline bool ShowActive(QWidget* window) {
  window->show();
  window->activateWindow();
  return QTest::qWaitForWindowActive(window);
}

}  // namespace apptest
