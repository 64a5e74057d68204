// The module-wide state and module handle that the plug-in's entry code would otherwise provide.
#include "plugin/PluginState.h"

PluginState State;

HINSTANCE PluginModule() { return GetModuleHandleA(nullptr); }
