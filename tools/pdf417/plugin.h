// SPDX-License-Identifier: Apache-2.0
// The barcode plug-in, called through its exported functions as a host does: the copy built into
// this program, or a library loaded by path.
#pragma once

#include <stdexcept>
#include <string>

#include "torvc_pdf417.h"

namespace torv::tools {

class PluginError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Plugin {
 public:
  // The plug-in built into this program.
  Plugin();
  // Loads the library and resolves every function the command uses; PluginError says what failed.
  explicit Plugin(const std::string& path);
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  // Whether this is the plug-in built into this program, whose components the command may also
  // hand to the plug-in's own code (component/symbol_picture.h).
  bool builtIn() const { return handle_ == nullptr; }

  decltype(&::GetNewInstance) GetNewInstance;
  decltype(&::DeleteInstance) DeleteInstance;
  decltype(&::setAttr) setAttr;
  decltype(&::getAttr) getAttr;
  decltype(&::getAutosize) getAutosize;
  decltype(&::paint) paint;
  decltype(&::print) print;

 private:
  template <typename Function>
  Function resolve(const char* name);

  void* handle_ = nullptr;  // null for the built-in plug-in
};

// An instance of the plug-in's component, deleted with it.
class Component {
 public:
  explicit Component(const Plugin& plugin);
  ~Component();
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  // Sets a decimal attribute; PluginError when the plug-in refuses the name.
  void set(const char16_t* name, int value);
  TorvPdf417Comp* get() const { return instance_; }

 private:
  const Plugin& plugin_;
  TorvPdf417Comp* instance_;
};

}  // namespace torv::tools
