#include "platform/scripted_platform.h"

#include <algorithm>

namespace kestrel {
namespace {

class ScriptedProgressWindow : public ProgressWindow {
 public:
  explicit ScriptedProgressWindow(std::shared_ptr<RecordedProgress> record)
      : record_(std::move(record)) {}
  ~ScriptedProgressWindow() override { record_->open = false; }
  void SetRange(int minimum, int maximum) override {
    record_->minimum = minimum;
    record_->maximum = maximum;
  }
  void SetStep(int step) override { record_->step = step; }
  void StepIt() override {
    ++record_->steps;
    record_->position = std::min(record_->maximum, record_->position + record_->step);
  }
  void SetPosition(int position) override { record_->position = position; }

 private:
  std::shared_ptr<RecordedProgress> record_;
};

}  // namespace

bool ScriptedPlatform::RunRegisterFilesDialog(
    const RegisterFilesForm& form, const std::function<bool(const RegisterFilesForm&)>& accept) {
  registerFilesShown.push_back(form);
  while (!registerFilesEntries.empty()) {
    const RegisterFilesForm entries = registerFilesEntries.front();
    registerFilesEntries.pop_front();
    if (accept(entries)) return true;
  }
  return false;
}

BoxAnswer ScriptedPlatform::ShowMessageBox(std::string_view text, std::string_view boxCaption,
                                           BoxIcon icon, BoxButtons buttons) {
  boxes.push_back({std::string(text), std::string(boxCaption), icon, buttons});
  if (!boxAnswers.empty()) {
    const BoxAnswer answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
  }
  return buttons == BoxButtons::YesNo || buttons == BoxButtons::YesNoCancel ? BoxAnswer::Yes
                                                                            : BoxAnswer::Ok;
}

void ScriptedPlatform::PushWaitCursor() {
  ++cursorDepth;
  maxCursorDepth = std::max(maxCursorDepth, cursorDepth);
}

void ScriptedPlatform::PopCursor() { --cursorDepth; }

std::unique_ptr<ProgressWindow> ScriptedPlatform::OpenProgressWindow(
    const ProgressRequest& request) {
  auto record = std::make_shared<RecordedProgress>();
  record->request = request;
  progressWindows.push_back(record);
  return std::make_unique<ScriptedProgressWindow>(record);
}

std::optional<FileChoice> ScriptedPlatform::ChooseFileToOpen(const FileChooserRequest& request) {
  openRequests.push_back(request);
  if (openAnswers.empty()) return std::nullopt;
  auto answer = openAnswers.front();
  openAnswers.pop_front();
  return answer;
}

std::optional<FileChoice> ScriptedPlatform::ChooseFileToSave(const FileChooserRequest& request) {
  saveRequests.push_back(request);
  if (saveAnswers.empty()) return std::nullopt;
  auto answer = saveAnswers.front();
  saveAnswers.pop_front();
  return answer;
}

std::optional<std::string> ScriptedPlatform::ReadSettingText(std::string_view name) {
  auto it = textSettings.find(name);
  if (it == textSettings.end()) return std::nullopt;
  return it->second;
}

std::optional<uint32_t> ScriptedPlatform::ReadSettingNumber(std::string_view name) {
  auto it = numberSettings.find(name);
  if (it == numberSettings.end()) return std::nullopt;
  return it->second;
}

void ScriptedPlatform::WriteSettingText(std::string_view name, std::string_view value) {
  textSettings[std::string(name)] = std::string(value);
}

void ScriptedPlatform::WriteSettingNumber(std::string_view name, uint32_t value) {
  numberSettings[std::string(name)] = value;
}

void ScriptedPlatform::Pause(uint32_t milliseconds) {
  pauses.push_back(milliseconds);
  ticks += milliseconds;
}

std::vector<std::string> ScriptedPlatform::BoxTexts() const {
  std::vector<std::string> texts;
  for (const auto& box : boxes) texts.push_back(box.text);
  return texts;
}

}  // namespace kestrel
