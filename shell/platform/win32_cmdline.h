#pragma once
// Windows command lines as the C runtime (and CommandLineToArgvW) splits them. CreateProcessW
// takes one string that the started program splits again, so every argument is quoted here by
// those same rules: an address can never turn into a second argument or an option.
#include <string>
#include <string_view>
#include <vector>

namespace nyarumi::win32 {

// AArgument quoted so that the runtime's splitter gives it back unchanged.
std::string QuoteArgument(std::string_view AArgument);
// The arguments joined with blanks, each quoted as needed.
std::string JoinCommandLine(const std::vector<std::string>& AArgv);
// A registered command line split into its arguments: blanks separate, double quotes group,
// backslashes before a quote escape it. The first word (the program) takes no escapes.
std::vector<std::string> SplitCommandLine(std::string_view ACommand);

} // namespace nyarumi::win32
