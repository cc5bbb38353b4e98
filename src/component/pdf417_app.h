// SPDX-License-Identifier: Apache-2.0
// The library's one application object: built when the library is loaded, destroyed when it is
// unloaded. It carries the per-module start-up and shut-down of the framework and has no
// behaviour of its own on this platform.
#pragma once

class CPdf417App {
 public:
  CPdf417App() = default;
  CPdf417App(const CPdf417App&) = delete;
  CPdf417App& operator=(const CPdf417App&) = delete;
  ~CPdf417App() = default;
};

extern CPdf417App theApp;
