// The prompt of a terminal: line editing, a history kept between sessions
// and completion of ZEL's member names, through libedit where the build has
// it; the plain stream prompt where it does not.
#ifndef ZEL_CLI_LINEEDITOR_H
#define ZEL_CLI_LINEEDITOR_H

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "LineSource.h"

namespace zelcli {

// Whether this build edits lines (libedit).
bool HasLineEditing();

// The file that keeps the prompt's history: $ZEL_HISTORY when it is set (an
// empty value keeps none), else .zel_history in $HOME; empty for none.
std::string HistoryPath();

// A source for the prompt of a terminal. words are what Tab completes
// (statement keywords, "zel.open", ...). Without libedit, the lines of in
// with the prompt written to prompt.
std::unique_ptr<LineSource> MakePromptSource(std::istream& in, std::ostream& prompt, std::vector<std::string> words);

}  // namespace zelcli

#endif  // ZEL_CLI_LINEEDITOR_H
