// Loads a plugin as an IDE does, at run time, and converts through it.
//
//   host PLUGIN.so FILE.cdb FILE.dvk

#include <dlfcn.h>

#include <iostream>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: host PLUGIN.so FILE.cdb FILE.dvk\n";
    return 1;
  }
  void* plugin = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!plugin) {
    std::cerr << dlerror() << "\n";
    return 1;
  }
  using Convert = int (*)(const char*, const char*);
  auto convert = reinterpret_cast<Convert>(dlsym(plugin, "torvane_plugin_convert"));
  if (!convert) {
    std::cerr << dlerror() << "\n";
    return 1;
  }
  int status = convert(argv[2], argv[3]);
  dlclose(plugin);
  return status;
}
