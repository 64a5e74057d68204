// The plug-in's entry points and the start-up's error box.
#pragma once

#include "host/PluginAbi.h"

extern "C" {
PluginInfo* __stdcall GetPluginInfo(void);
void __stdcall InitGlobalModule(const HostContext* context);
void __stdcall DoneModule(void);
}

// A topmost warning box without owner, bracketed by the host's modal messages. Returns once closed.
void ShowError(const char* message);
