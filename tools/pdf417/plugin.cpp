// SPDX-License-Identifier: Apache-2.0
#include "plugin.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

namespace torv::tools {

Plugin::Plugin()
    : GetNewInstance(&::GetNewInstance),
      DeleteInstance(&::DeleteInstance),
      setAttr(&::setAttr),
      getAttr(&::getAttr),
      getAutosize(&::getAutosize),
      paint(&::paint),
      print(&::print) {}

#if defined(_WIN32)
// The Windows command draws on memory surfaces; the DLL draws on device contexts.
Plugin::Plugin(const std::string& path) : Plugin() {
  throw PluginError("cannot load the plug-in " + path +
                    ": --plugin is for Linux; on Windows the command draws with its own built-in plug-in");
}

Plugin::~Plugin() = default;
#else
template <typename Function>
Function Plugin::resolve(const char* name) {
  void* symbol = dlsym(handle_, name);
  if (symbol == nullptr) {
    dlclose(handle_);
    throw PluginError(std::string("the plug-in has no function ") + name);
  }
  return reinterpret_cast<Function>(symbol);
}

Plugin::Plugin(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
  if (handle_ == nullptr) {
    const char* why = dlerror();
    throw PluginError("cannot load the plug-in " + path + ": " + (why != nullptr ? why : "unknown reason"));
  }
  GetNewInstance = resolve<decltype(GetNewInstance)>("GetNewInstance");
  DeleteInstance = resolve<decltype(DeleteInstance)>("DeleteInstance");
  setAttr = resolve<decltype(setAttr)>("setAttr");
  getAttr = resolve<decltype(getAttr)>("getAttr");
  getAutosize = resolve<decltype(getAutosize)>("getAutosize");
  paint = resolve<decltype(paint)>("paint");
  print = resolve<decltype(print)>("print");
}

Plugin::~Plugin() {
  if (handle_ != nullptr) dlclose(handle_);
}
#endif

Component::Component(const Plugin& plugin) : plugin_(plugin), instance_(plugin.GetNewInstance()) {
  if (instance_ == nullptr) throw PluginError("the plug-in could not create a component");
}

Component::~Component() { plugin_.DeleteInstance(instance_); }

void Component::set(const char16_t* name, int value) {
  const std::string digits = std::to_string(value);
  const std::u16string text(digits.begin(), digits.end());
  if (plugin_.setAttr(instance_, name, text.c_str()) != 1) {
    throw PluginError("the plug-in refused the attribute " +
                      std::string(name, name + std::char_traits<char16_t>::length(name)));
  }
}

}  // namespace torv::tools
