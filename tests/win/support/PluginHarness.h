// A host for one test: a fresh copy of the plug-in, the reference host's libraries reset, a settings
// file of the test's own, the host's record and main window, and message boxes answered at once.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "devhost/DevHostControl.h"
#include "host/PluginAbi.h"
#include "support/PluginLoader.h"

// What the patched MessageBoxA saw.
struct MessageBoxCall {
  HWND owner;
  std::string text;
  std::string caption;
  UINT style;
};

class PluginHarness {
 public:
  PluginHarness();
  ~PluginHarness();

  LoadedPlugin& Plugin() { return plugin_; }
  HostContext& Context() { return context_; }
  HostDataRecord& HostRecord() { return hostRecord_; }
  const std::string& SettingsFile() const { return settingsFile_; }

  // Writes the settings file's "Calendar" section from "key=value" lines before the start.
  void WriteSettings(const std::vector<std::string>& lines);
  // Writes the three skin pictures into the plug-in's folder: main.png `width` by 184 (cells of 23),
  // curdate.png and event.png 23 by 23.
  void WriteSkins(int width = 168);
  // A store whose section is set up: every default, with the skins of the test's own folder.
  void WriteCompleteSettings(int cellSize = 23);
  // Reads one key of the "Calendar" section from the settings file ("" when missing).
  std::string StoredSetting(const char* key) const;

  // Starts the plug-in with the harness's context.
  void Start();
  // The window object the plug-in holds, and its window.
  HostWindow* Window() const { return window_; }
  HWND WindowHandle() const { return handle_; }
  // The plug-in's input box: the edit window owned by its window, or null.
  HWND InputBox() const;
  // Sends one message to the calendar window (the host hands it to the plug-in's callback).
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  // The trace since the last clear, one entry a line.
  static std::vector<std::string> Trace();
  // Lines of the trace that begin with `prefix`.
  static std::vector<std::string> TraceOf(const std::string& prefix);
  static std::vector<MessageBoxCall>& MessageBoxes();

  // Fixes today's date as the plug-in reads it.
  static void SetToday(int year, int month, int day);

 private:
  LoadedPlugin plugin_;
  ScratchDir settingsDir_;
  std::string settingsFile_;
  HostDataRecord hostRecord_ = {};
  HostContext context_ = {};
  std::unique_ptr<ImportPatch> messageBoxPatch_;
  std::unique_ptr<ImportPatch> clockPatch_;
  HostWindow* window_ = nullptr;  // what the host made for this plug-in at its start
  HWND handle_ = nullptr;         // its window, asked once so that tests leave no trace of their own
};

// Writes a w×h PNG of one colour (BGRA with the given alpha) with GDI+; false on failure.
bool WriteSolidPng(const std::string& path, int width, int height, DWORD argb);
