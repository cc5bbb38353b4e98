// SPDX-License-Identifier: Apache-2.0
// The command lines of pdf417 and pdf417-encode, described by one table each: the parser, the
// --help text and the manual page are all made from it, so they cannot disagree.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace torv::tools {

struct OptionSpec {
  char shortName = '\0';                                // '\0': a long name only
  std::string longName;                                 // without the dashes; empty: a short name only
  std::string valueName;                                // empty for a switch
  std::string help;                                     // lines separated by '\n'
  std::function<void(const std::string& value)> apply;  // the value is empty for a switch
};

struct CommandSpec {
  std::string name;
  std::string summary;                // the manual page's one-line NAME description
  std::vector<std::string> synopsis;  // argument lines after the name
  std::string description;            // paragraphs separated by an empty line, lines by '\n'
  std::vector<OptionSpec> options;
  std::string afterOptions;           // paragraphs after the option list (may be empty)
  std::vector<std::string> examples;  // command lines
  std::string exitStatus;             // one paragraph
};

// The action of a switch: sets `field` to `value` whenever the switch is given.
template <typename Field, typename Value>
std::function<void(const std::string&)> setTo(Field& field, Value value) {
  return [&field, value](const std::string&) { field = value; };
}

// Applies every option of the arguments in order and returns the TEXT argument, if any. Options
// take their value from the next argument, after '=' (--rows=3) or, short ones, attached (-r3). '--' ends the options
// and must be followed by exactly one argument; a second TEXT is refused either way. UsageError on any fault.
std::optional<std::string> parseCommandLine(const CommandSpec& command, const std::vector<std::string>& arguments);

// The --help text: usage lines, description, options, notes, examples and exit status.
std::string helpText(const CommandSpec& command);

// The same as a manual page (man(7) macros), ASCII only.
std::string manPage(const CommandSpec& command);

}  // namespace torv::tools
