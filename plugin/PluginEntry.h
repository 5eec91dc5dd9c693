// The four functions a plugin module exports to the host, under these plain names. The host
// loads the module, calls InitPlugin and InitPluginContainer(parent) before it starts its
// tree, and, after shutting the tree down, ReleasePluginContainer(parent) and ReleasePlugin.
#pragma once

class IPluginContainer;

#ifdef _WIN32
#define QRN_PLUGIN_API extern "C" __declspec(dllexport)
#else
#define QRN_PLUGIN_API extern "C" __attribute__((visibility("default")))
#endif

// Signatures, for hosts that look the entry points up by name.
using InitPluginFn = bool (*)();
using ReleasePluginFn = bool (*)();
using InitPluginContainerFn = bool (*)(IPluginContainer* parent);
using ReleasePluginContainerFn = void (*)(IPluginContainer* parent);

QRN_PLUGIN_API bool InitPlugin();
QRN_PLUGIN_API bool ReleasePlugin();
// Under the accepted parent (qrn::kPluginParentID): creates the module's container, registers
// its message handlers and has the parent register it. Always true.
QRN_PLUGIN_API bool InitPluginContainer(IPluginContainer* parent);
// Under the accepted parent: finds the module's container, removes its message handlers, has
// the parent unregister it and destroys it.
QRN_PLUGIN_API void ReleasePluginContainer(IPluginContainer* parent);
