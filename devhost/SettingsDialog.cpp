#include "SettingsDialog.h"

#include <commdlg.h>

#include <cstdlib>
#include <cstring>

#include "host/drawpng.h"

namespace devhost {
namespace {

// Layout in dialog units, which follow the dialog's font, so the dialog scales with it.
const int kMargin = 7, kLabelWidth = 70, kFieldX = kMargin + kLabelWidth + 5, kFieldWidth = 150;
const int kDialogWidth = kFieldX + kFieldWidth + kMargin;
const int kRowHeight = 16, kHeadingHeight = 14, kButtonWidth = 50, kButtonHeight = 14;
const int kControlBase = 1000, kPickerBase = 2000;

struct DialogState {
  const PluginInfo* Info;
  int SettingsHandle;
  std::vector<SettingField> Fields;
  std::vector<HWND> Controls;  // one per field; null for a heading
  bool Stored = false;
};

int DialogHeight(const PluginInfo& info) {
  int height = kMargin;
  for (int i = 0; i < info.SettingCount; ++i)
    height += info.Settings[i].Kind == KindGroup ? kHeadingHeight : kRowHeight;
  return height + kMargin + kButtonHeight + kMargin;
}

void PushWide(std::vector<WORD>* out, const char* text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::vector<WCHAR> wide(static_cast<size_t>(n > 0 ? n : 1), 0);
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), n);
  for (WCHAR c : wide) out->push_back(c);
}

// An empty dialog of the right size; its controls are made in WM_INITDIALOG, where the schema is.
std::vector<WORD> DialogTemplate(const PluginInfo& info, const std::string& title) {
  std::vector<WORD> t;
  DWORD style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  t.push_back(LOWORD(style));
  t.push_back(HIWORD(style));
  t.push_back(0);  // extended style
  t.push_back(0);
  t.push_back(0);  // no items in the template
  t.push_back(0);  // x, y
  t.push_back(0);
  t.push_back(static_cast<WORD>(kDialogWidth));
  t.push_back(static_cast<WORD>(DialogHeight(info)));
  t.push_back(0);  // no menu
  t.push_back(0);  // the standard dialog class
  PushWide(&t, title.c_str());
  t.push_back(8);  // point size of the font
  PushWide(&t, "MS Shell Dlg");
  return t;
}

HWND MakeControl(HWND dialog, const char* className, const char* text, DWORD style, int x, int y,
                 int width, int height, int id) {
  RECT r = {x, y, x + width, y + height};
  MapDialogRect(dialog, &r);
  HWND control = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
  SendMessageA(control, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
  return control;
}

void BuildControls(HWND dialog, DialogState* state) {
  int y = kMargin;
  for (size_t i = 0; i < state->Fields.size(); ++i) {
    const SettingField& field = state->Fields[i];
    const SettingDescriptor& row = *field.Row;
    const char* caption = row.Caption ? row.Caption : "";
    int id = kControlBase + static_cast<int>(i);
    HWND control = nullptr;
    if (row.Kind == KindGroup || !row.Key) {
      MakeControl(dialog, "STATIC", caption, SS_LEFT, kMargin, y + 2, kLabelWidth, 9, -1);
      MakeControl(dialog, "STATIC", "", SS_ETCHEDHORZ, kFieldX, y + 6, kFieldWidth, 1, -1);
      state->Controls.push_back(nullptr);
      y += kHeadingHeight;
      continue;
    }
    MakeControl(dialog, "STATIC", caption, SS_LEFT, kMargin + 6, y + 3, kLabelWidth - 6, 9, -1);
    switch (row.Kind) {
      case KindInteger:
        control = MakeControl(dialog, "EDIT", field.Stored.c_str(),
                              WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kFieldX, y + 1, 60, 12, id);
        break;
      case KindColor:
        control = MakeControl(dialog, "BUTTON", field.Edited.c_str(), BS_OWNERDRAW | WS_TABSTOP,
                              kFieldX, y, 60, 14, id);
        break;
      case KindFont:
        control = MakeControl(dialog, "BUTTON", DescribeFont(FontFromText(field.Edited)).c_str(),
                              BS_PUSHBUTTON | WS_TABSTOP, kFieldX, y, kFieldWidth, 14, id);
        break;
      case KindBoolean:
        control = MakeControl(dialog, "BUTTON", "", BS_AUTOCHECKBOX | WS_TABSTOP, kFieldX, y + 1,
                              kFieldWidth, 12, id);
        SendMessageA(control, BM_SETCHECK, field.Edited == "1" ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
      case KindChoice: {
        control = MakeControl(dialog, "COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                              kFieldX, y, kFieldWidth, 80, id);
        for (int option = 0; row.Options && option <= row.MaxIndex; ++option)
          SendMessageA(control, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(row.Options[option] ? row.Options[option] : ""));
        SendMessageA(control, CB_SETCURSEL, std::atoi(field.Edited.c_str()), 0);
        break;
      }
      case KindPicture:
        control = MakeControl(dialog, "EDIT", field.Edited.c_str(),
                              WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kFieldX, y + 1,
                              kFieldWidth - 22, 12, id);
        MakeControl(dialog, "BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, kFieldX + kFieldWidth - 18,
                    y, 18, 14, kPickerBase + static_cast<int>(i));
        break;
      default:  // a kind this host does not know: shown, kept as it is
        control = MakeControl(dialog, "STATIC", field.Edited.c_str(), SS_LEFT, kFieldX, y + 3,
                              kFieldWidth, 9, -1);
        break;
    }
    state->Controls.push_back(control);
    y += kRowHeight;
  }
  y += kMargin;
  int okX = kDialogWidth - kMargin - 2 * kButtonWidth - 4;
  MakeControl(dialog, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, okX, y, kButtonWidth,
              kButtonHeight, IDOK);
  MakeControl(dialog, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, okX + kButtonWidth + 4, y,
              kButtonWidth, kButtonHeight, IDCANCEL);
}

std::string WindowText(HWND control) {
  int length = GetWindowTextLengthA(control);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  GetWindowTextA(control, &text[0], length + 1);
  text.resize(static_cast<size_t>(length));
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// The controls' present state into the fields' edited texts (colours and fonts are kept there as
// they are picked).
void ReadControls(DialogState* state) {
  for (size_t i = 0; i < state->Fields.size(); ++i) {
    SettingField& field = state->Fields[i];
    HWND control = state->Controls[i];
    if (!control) continue;
    switch (field.Row->Kind) {
      case KindInteger:
      case KindPicture:
        field.Edited = WindowText(control);
        break;
      case KindBoolean:
        field.Edited = SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "1" : "0";
        break;
      case KindChoice: {
        LRESULT chosen = SendMessageA(control, CB_GETCURSEL, 0, 0);
        if (chosen != CB_ERR) field.Edited = std::to_string(chosen);
        break;
      }
    }
  }
}

void PickColour(HWND dialog, SettingField* field, HWND button) {
  static COLORREF custom[16] = {};
  CHOOSECOLORA choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = dialog;
  choose.rgbResult = ColourFromText(field->Edited);
  choose.lpCustColors = custom;
  choose.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorA(&choose)) return;
  field->Edited = ColourToText(choose.rgbResult);
  InvalidateRect(button, nullptr, TRUE);
}

void PickFont(HWND dialog, SettingField* field, HWND button) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  LOGFONTA logFont = FontToLogFont(FontFromText(field->Edited), dpi);
  CHOOSEFONTA choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = dialog;
  choose.lpLogFont = &logFont;
  choose.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS | CF_EFFECTS;
  if (!ChooseFontA(&choose)) return;
  FontChoice font = FontFromLogFont(logFont, choose.iPointSize);
  field->Edited = FontToText(font);
  SetWindowTextA(button, DescribeFont(font).c_str());
}

void PickPicture(HWND dialog, HWND edit) {
  char path[MAX_PATH] = {};
  std::string now = WindowText(edit);
  std::strncpy(path, now.c_str(), sizeof path - 1);
  OPENFILENAMEA open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = dialog;
  open.lpstrFilter =
      "Pictures (*.png; *.bmp; *.jpg; *.gif)\0*.png;*.bmp;*.jpg;*.jpeg;*.gif\0"
      "All files\0*.*\0";
  open.lpstrFile = path;
  open.nMaxFile = sizeof path;
  open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (GetOpenFileNameA(&open)) SetWindowTextA(edit, path);
}

void DrawColourButton(const DRAWITEMSTRUCT& item, const SettingField& field) {
  COLORREF colour = ColourFromText(field.Edited);
  RECT r = item.rcItem;
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(item.hDC, &r, brush);
  DeleteObject(brush);
  DrawEdge(item.hDC, &r, (item.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  // The hexadecimal text in black or white, whichever stands out from the colour.
  int light = GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114;
  int oldMode = SetBkMode(item.hDC, TRANSPARENT);
  COLORREF oldText = SetTextColor(item.hDC, light > 128000 ? RGB(0, 0, 0) : RGB(255, 255, 255));
  std::string text = ColourToText(colour);
  DrawTextA(item.hDC, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SetTextColor(item.hDC, oldText);
  SetBkMode(item.hDC, oldMode);
  if (item.itemState & ODS_FOCUS) {
    InflateRect(&r, -3, -3);
    DrawFocusRect(item.hDC, &r);
  }
}

void Accept(HWND dialog, DialogState* state) {
  ReadControls(state);
  std::vector<SettingChange> changes;
  size_t bad = 0;
  std::string message;
  if (!CollectChanges(state->Fields, &changes, &bad, &message)) {
    MessageBoxA(dialog, message.c_str(), "Settings", MB_OK | MB_ICONWARNING);
    if (bad < state->Controls.size() && state->Controls[bad]) {
      SetFocus(state->Controls[bad]);
      SendMessageA(state->Controls[bad], EM_SETSEL, 0, -1);
    }
    return;
  }
  if (!changes.empty() && !WriteSettingChanges(state->SettingsHandle, *state->Info, changes)) {
    MessageBoxA(dialog, "The settings file could not be written; nothing was changed.", "Settings",
                MB_OK | MB_ICONWARNING);
    return;
  }
  state->Stored = !changes.empty();
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      BuildControls(dialog, reinterpret_cast<DialogState*>(lParam));
      return TRUE;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      size_t i = static_cast<size_t>(item->CtlID - kControlBase);
      if (!state || item->CtlID < kControlBase || i >= state->Fields.size()) return FALSE;
      DrawColourButton(*item, state->Fields[i]);
      return TRUE;
    }
    case WM_COMMAND: {
      if (!state) return FALSE;
      int id = LOWORD(wParam);
      if (id == IDOK) {
        Accept(dialog, state);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      size_t i = static_cast<size_t>(id >= kPickerBase ? id - kPickerBase : id - kControlBase);
      if (id < kControlBase || i >= state->Fields.size() || !state->Controls[i]) return FALSE;
      SettingField& field = state->Fields[i];
      if (id >= kPickerBase)
        PickPicture(dialog, state->Controls[i]);
      else if (field.Row->Kind == KindColor)
        PickColour(dialog, &field, state->Controls[i]);
      else if (field.Row->Kind == KindFont)
        PickFont(dialog, &field, state->Controls[i]);
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

std::vector<SettingField> ReadSettingFields(int settingsHandle, const PluginInfo& info) {
  std::vector<SettingField> fields;
  ConfigCursor cursor{};
  OpenCFGr(settingsHandle, &cursor);
  FindSection(info.SettingsSection ? info.SettingsSection : "", 0, &cursor);
  for (int i = 0; info.Settings && i < info.SettingCount; ++i) {
    SettingField field;
    field.Row = &info.Settings[i];
    if (field.Row->Key && field.Row->Kind != KindGroup) {
      char text[1024] = {};
      GetCFGString(field.Row->Key, "", text, sizeof text - 1, &cursor);
      field.Stored = text;
    }
    field.Edited = field.Stored;
    fields.push_back(field);
  }
  CloseCFGr(&cursor);
  return fields;
}

bool WriteSettingChanges(int settingsHandle, const PluginInfo& info,
                         const std::vector<SettingChange>& changes) {
  ConfigCursor cursor{};
  if (!OpenCFGw(settingsHandle, &cursor)) return false;
  FindSection(info.SettingsSection ? info.SettingsSection : "", 1, &cursor);
  for (const SettingChange& change : changes)
    SetCFGString(change.Key.c_str(), change.Value.c_str(), &cursor);
  return CloseCFGw(settingsHandle, 0, &cursor) != 0;
}

bool RunSettingsDialog(HWND owner, int settingsHandle, const PluginInfo& info) {
  if (!info.Settings || info.SettingCount <= 0) return false;
  DialogState state;
  state.Info = &info;
  state.SettingsHandle = settingsHandle;
  state.Fields = ReadSettingFields(settingsHandle, info);
  std::string title = std::string(info.DisplayName ? info.DisplayName : "Plug-in") + " settings";
  std::vector<WORD> layout = DialogTemplate(info, title);
  DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                          reinterpret_cast<const DLGTEMPLATE*>(layout.data()), owner, DialogProc,
                          reinterpret_cast<LPARAM>(&state));
  return state.Stored;
}

}  // namespace devhost
