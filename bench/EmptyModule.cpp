// A shared library with nothing in it but one entry point: the floor for loading a module.
extern "C" __attribute__((visibility("default"))) bool InitPlugin() { return true; }
