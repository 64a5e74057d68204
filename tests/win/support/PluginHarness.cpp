#include "support/PluginHarness.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<MessageBoxCall> messageBoxes;
SYSTEMTIME today = {2026, 12, 5, 11, 10, 0, 0, 0};

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  messageBoxes.push_back({owner, text ? text : "", caption ? caption : "", style});
  DevTraceAppend(("MessageBoxA(\"" + std::string(text ? text : "") + "\")").c_str());
  return IDOK;
}

void WINAPI FixedLocalTime(LPSYSTEMTIME time) { *time = today; }

const int SettingsHandle = 1;

struct BoxSearch {
  HWND owner;
  HWND found;
};
BOOL CALLBACK FindOwnedEdit(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<BoxSearch*>(param);
  char cls[16] = "";
  GetClassNameA(window, cls, sizeof cls);
  if (lstrcmpiA(cls, "Edit") == 0 && GetWindow(window, GW_OWNER) == search->owner) search->found = window;
  return TRUE;
}

}  // namespace

PluginHarness::PluginHarness() {
  messageBoxes.clear();
  SetToday(2026, 12, 11);
  DevResetHost();
  settingsFile_ = settingsDir_.File("settings.ini");
  DevSetStoreFile(SettingsHandle, settingsFile_.c_str());
  hostRecord_.SetupTarget = "Calendar";
  context_.HostData = &hostRecord_;
  context_.SettingsHandle = SettingsHandle;
  context_.HostMainWindow = DevHostMainWindow();
  context_.WindowParam = 77;
  messageBoxPatch_ = plugin_.Patch("USER32.dll", "MessageBoxA", reinterpret_cast<void*>(RecordMessageBox));
  clockPatch_ = plugin_.Patch("KERNEL32.dll", "GetLocalTime", reinterpret_cast<void*>(FixedLocalTime));
  DevTraceClear();
}

PluginHarness::~PluginHarness() {
  // Stop the plug-in before its patches go: the import table is part of the module being freed.
  if (Window() != nullptr && IsWindow(WindowHandle())) plugin_.DoneModule();
  messageBoxPatch_.reset();
  clockPatch_.reset();
  plugin_.Unload();
}

void PluginHarness::WriteSettings(const std::vector<std::string>& lines) {
  std::string text = "[Calendar]\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  WriteFileBytes(settingsFile_, text);
}

void PluginHarness::WriteSkins(int width) {
  const std::string dir = plugin_.Folder();
  ASSERT_TRUE(WriteSolidPng(dir + "main.png", width, 184, 0xC0FFFFFF));
  ASSERT_TRUE(WriteSolidPng(dir + "curdate.png", 23, 23, 0x80FF0000));
  ASSERT_TRUE(WriteSolidPng(dir + "event.png", 23, 23, 0x800000FF));
}

void PluginHarness::WriteCompleteSettings(int cellSize) {
  const std::string dir = plugin_.Folder();
  WriteSettings({"Cell size=" + std::to_string(cellSize), "WeekEnd color=b7",
                 "Hint font=Comic Sans MS,8,000,0", "Input font=Comic Sans MS,8,000,0",
                 "Message font=Comic Sans MS,9,000,204", "Message color=800000", "XPos=400",
                 "YPos=500", "Font=Comic Sans MS,11,100,204", "Color=800000",
                 "Main Skin=" + dir + "main.png", "Current Date=" + dir + "curdate.png",
                 "Event=" + dir + "event.png", "Drop shadow=0", "ZOrder=0"});
}

std::string PluginHarness::StoredSetting(const char* key) const {
  char value[1024] = "";
  GetPrivateProfileStringA("Calendar", key, "", value, sizeof value, settingsFile_.c_str());
  return value;
}

void PluginHarness::Start() {
  plugin_.InitGlobalModule(&context_);
  window_ = DevLastWindow();  // DevResetHost, in the constructor, forgot any earlier one
  handle_ = window_ ? window_->Vtbl->GetHandle(window_) : nullptr;
}

HWND PluginHarness::InputBox() const {
  BoxSearch search = {handle_, nullptr};
  if (handle_ != nullptr) EnumThreadWindows(GetCurrentThreadId(), FindOwnedEdit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

LRESULT PluginHarness::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendMessageA(WindowHandle(), message, wParam, lParam);
}

std::vector<std::string> PluginHarness::Trace() {
  std::vector<std::string> lines;
  std::istringstream text(DevTraceText());
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> PluginHarness::TraceOf(const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : Trace())
    if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
  return found;
}

std::vector<MessageBoxCall>& PluginHarness::MessageBoxes() { return messageBoxes; }

void PluginHarness::SetToday(int year, int month, int day) {
  today = {};
  today.wYear = static_cast<WORD>(year);
  today.wMonth = static_cast<WORD>(month);
  today.wDay = static_cast<WORD>(day);
  today.wHour = 10;
}

bool WriteSolidPng(const std::string& path, int width, int height, DWORD argb) {
  WritePng(path, width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, argb));
  return !::testing::Test::HasFatalFailure();
}
