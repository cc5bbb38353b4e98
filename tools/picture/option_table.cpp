// SPDX-License-Identifier: Apache-2.0
#include "option_table.h"

#include <algorithm>
#include <cstdio>

#include "command_line.h"

namespace torv::tools {
namespace {

const OptionSpec* findOption(const CommandSpec& command, const std::string& argument, const std::string& name) {
  for (const OptionSpec& option : command.options) {
    const bool isLong = argument.size() > 2 && argument[1] == '-';
    if (isLong ? option.longName == name : name.size() == 1 && option.shortName == name[0]) return &option;
  }
  return nullptr;
}

std::string label(const OptionSpec& option) {
  std::string text = option.shortName != '\0' ? std::string("-") + option.shortName : "  ";
  if (!option.longName.empty()) text += (option.shortName != '\0' ? ", --" : "  --") + option.longName;
  if (!option.valueName.empty()) text += " " + option.valueName;
  return text;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Text for troff: backslashes and hyphens escaped, control characters at a line's start made
// plain, and every character beyond ASCII written as its Unicode escape.
std::string roff(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead >= 0x80) {
      const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
      unsigned code = lead & (0x3Fu >> extra);
      for (int k = 1; k <= extra && i + k < text.size(); ++k) code = code << 6 | (text[i + k] & 0x3Fu);
      char escape[16];
      std::snprintf(escape, sizeof escape, "\\[u%04X]", code);
      out += escape;
      i += 1 + extra;
      continue;
    }
    if (lead == '\\') {
      out += "\\e";
    } else if (lead == '-') {
      out += "\\-";
    } else if ((lead == '.' || lead == '\'') && (out.empty() || out.back() == '\n')) {
      out += "\\&";
      out += static_cast<char>(lead);
    } else {
      out += static_cast<char>(lead);
    }
    ++i;
  }
  return out;
}

// Paragraphs (separated by an empty line) as filled roff text.
std::string roffParagraphs(const std::string& text) {
  std::string out;
  std::string paragraph;
  for (const std::string& line : linesOf(text)) {
    if (line.empty()) {
      if (!paragraph.empty()) out += (out.empty() ? "" : ".PP\n") + roff(paragraph) + "\n";
      paragraph.clear();
    } else {
      paragraph += (paragraph.empty() ? "" : " ") + line;
    }
  }
  if (!paragraph.empty()) out += (out.empty() ? "" : ".PP\n") + roff(paragraph) + "\n";
  return out;
}

std::string upperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return text;
}

}  // namespace

std::optional<std::string> parseCommandLine(const CommandSpec& command, const std::vector<std::string>& arguments) {
  std::vector<std::string> texts;
  std::size_t afterDashes = arguments.size() + 1;  // index of the first argument after '--'
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (i >= afterDashes || argument.size() < 2 || argument[0] != '-') {
      texts.push_back(argument);
      continue;
    }
    if (argument == "--") {
      afterDashes = i + 1;
      continue;
    }
    const bool isLong = argument[1] == '-';
    const std::size_t equals = isLong ? argument.find('=') : std::string::npos;
    // A short option's value may follow it in the same argument: -j1, -x20.
    const std::string name = isLong ? argument.substr(2, equals == std::string::npos ? std::string::npos : equals - 2)
                                    : argument.substr(1, 1);
    const OptionSpec* option = findOption(command, argument, name);
    const bool attached = !isLong && argument.size() > 2;
    const std::string shown = equals != std::string::npos                                   ? argument.substr(0, equals)
                              : attached && option != nullptr && !option->valueName.empty() ? argument.substr(0, 2)
                                                                                            : argument;
    if (option == nullptr || (attached && option->valueName.empty())) throw UsageError("unknown option " + shown);
    std::string value;
    if (option->valueName.empty()) {
      if (equals != std::string::npos) throw UsageError(shown + " takes no value");
    } else if (equals != std::string::npos) {
      value = argument.substr(equals + 1);
    } else if (attached) {
      value = argument.substr(2);
    } else {
      if (i + 1 >= arguments.size()) throw UsageError(argument + " needs a value");
      value = arguments[++i];
    }
    option->apply(value);
  }
  if (afterDashes <= arguments.size() && arguments.size() - afterDashes != 1) {
    throw UsageError("-- is followed by exactly one TEXT");
  }
  if (texts.size() > 1) {
    // The quiet zone was --quiet N before -q/--quiet came to mean "say nothing".
    const auto quiet = std::find(arguments.begin(), arguments.end(), "--quiet");
    const bool oldQuietZone = quiet != arguments.end() && quiet + 1 != arguments.end() && !quiet[1].empty() &&
                              quiet[1].find_first_not_of("0123456789") == std::string::npos;
    throw UsageError("only one TEXT may be given; quote it if it has spaces" +
                     (oldQuietZone ? " (the quiet zone is --quiet-zone " + quiet[1] + ")" : std::string()));
  }
  if (texts.empty()) return std::nullopt;
  return texts.front();
}

std::string helpText(const CommandSpec& command) {
  std::string text;
  for (std::size_t i = 0; i < command.synopsis.size(); ++i) {
    text += (i == 0 ? "usage: " : "       ") + command.name + " " + command.synopsis[i] + "\n";
  }
  text += command.description + "\n\n";
  std::size_t column = 0;
  for (const OptionSpec& option : command.options) column = std::max(column, label(option).size());
  column = std::min<std::size_t>(column, 24) + 2;
  for (const OptionSpec& option : command.options) {
    const std::string name = label(option);
    const std::vector<std::string> help = linesOf(option.help);
    text += "  " + name;
    text += name.size() + 1 > column ? "\n" + std::string(column + 2, ' ') : std::string(column - name.size(), ' ');
    for (std::size_t i = 0; i < help.size(); ++i) text += (i == 0 ? "" : std::string(column + 2, ' ')) + help[i] + "\n";
  }
  if (!command.afterOptions.empty()) text += "\n" + command.afterOptions + "\n";
  text += "\nExamples:\n";
  for (const std::string& example : command.examples) text += "  " + example + "\n";
  text += "Exit status: " + command.exitStatus + "\n";
  return text;
}

std::string manPage(const CommandSpec& command) {
  std::string page = ".TH " + upperCase(roff(command.name)) + " 1 \"\" \"\" \"User Commands\"\n";
  page += ".SH NAME\n" + roff(command.name) + " \\- " + roff(command.summary) + "\n.SH SYNOPSIS\n";
  for (std::size_t i = 0; i < command.synopsis.size(); ++i) {
    page += (i == 0 ? "" : ".br\n") + std::string(".B ") + roff(command.name) + "\n" + roff(command.synopsis[i]) + "\n";
  }
  page += ".SH DESCRIPTION\n" + roffParagraphs(command.description);
  page += ".SH OPTIONS\n";
  for (const OptionSpec& option : command.options) {
    page += ".TP\n";
    std::string name;
    if (option.shortName != '\0') name += "\\fB\\-" + std::string(1, option.shortName) + "\\fR";
    if (!option.longName.empty())
      name += (name.empty() ? "" : ", ") + std::string("\\fB\\-\\-") + roff(option.longName) + "\\fR";
    if (!option.valueName.empty()) name += " \\fI" + roff(option.valueName) + "\\fR";
    std::string help;
    for (const std::string& line : linesOf(option.help)) help += (help.empty() ? "" : " ") + line;
    page += name + "\n" + roff(help) + "\n";
  }
  if (!command.afterOptions.empty()) page += ".PP\n" + roffParagraphs(command.afterOptions);
  page += ".SH EXAMPLES\n.nf\n";
  for (const std::string& example : command.examples) page += roff(example) + "\n";
  page += ".fi\n.SH \"EXIT STATUS\"\n" + roffParagraphs(command.exitStatus);
  return page;
}

}  // namespace torv::tools
