// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// `quillon analyse`: the analysis of names given as arguments or read from
// standard input, written as text, JSON Lines or CSV.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/byte_streams.h"

namespace quillon {

struct AnalyseStreams {
    ByteSource& in;
    ByteSink& out;
    ByteSink& err;       // messages for standard error, one per line
    bool outIsTerminal;  // mark equal-digit numbers in colour instead of '*'
};

// Exit status: 0 when every name was analysed, 1 when a name was refused or
// input or output failed, 2 for a usage error (the usage text then goes to `err`).
int RunAnalyse(const std::vector<std::string_view>& args, AnalyseStreams streams);

// The usage text of `quillon analyse`.
std::string AnalyseUsage();

namespace cli {
struct Command;
struct ParsedArgs;
struct OptionSpec;
}  // namespace cli
struct QtCommands;

// The row of `quillon analyse` in the command table.
cli::Command AnalyseCommand(const QtCommands& qt);

// The analyse command on arguments already split by the option parser.
int RunAnalyseParsed(const cli::ParsedArgs& args, AnalyseStreams streams);
const std::vector<cli::OptionSpec>& AnalyseOptions();

// Longest name the calculator's field takes, in characters.
inline constexpr std::size_t kMaxNameLength = 30;

// Bytes of one input line kept at most; a longer line is refused as too long
// without being held in memory (30 characters never take more than 120 bytes).
inline constexpr std::size_t kMaxLineBytes = 4096;

}  // namespace quillon
