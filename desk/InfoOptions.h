// The options answered on the terminal before anything else starts: --help
// and --version print their text and end the process, without opening a
// window or touching the databases or the settings file.
#pragma once

#include <iosfwd>

// When argv asks for --help or --version: prints the answer to out and
// returns the exit code. Otherwise returns -1 and the program starts as
// usual. "--" ends the options.
int AnswerInfoOption(int argc, const char* const* argv, std::ostream& out);

// Whether the terminal's texts are English: the language of the first of
// LC_ALL, LC_MESSAGES and LANG that is set (each may be null), when it is
// not Chinese. Unset, C and POSIX give the program's own default, Chinese.
bool IsEnglishTerminal(const char* lcAll, const char* lcMessages, const char* lang);
